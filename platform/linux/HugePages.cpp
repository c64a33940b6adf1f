#include "platform/HugePages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace tern::platform {
namespace {

// Below one huge page there is nothing to gain, and a system call to spend.
constexpr size_t kHugePageBytes = size_t{2} << 20;

}  // namespace

void AdviseHugePages(void* bytes, size_t size) {
    if (size < kHugePageBytes) {
        return;
    }
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<uintptr_t>(bytes);
    const uintptr_t first = (start + page - 1) / page * page;
    const uintptr_t end = (start + size) / page * page;
    if (end > first) {
        // Refused advice (no transparent huge pages) leaves small pages: nothing to report.
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

}  // namespace tern::platform
