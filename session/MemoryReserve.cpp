#include "session/MemoryReserve.h"

#include <cstring>
#include <new>

namespace tern {

bool MemoryReserve::Take() {
    m_block.reset(new (std::nothrow) char[kBytes]);
    if (!m_block) {
        return false;
    }
    // Touched, so the pages are the process's own and not only promised.
    std::memset(m_block.get(), 0, kBytes);
    return true;
}

}  // namespace tern
