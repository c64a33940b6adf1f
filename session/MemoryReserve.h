// Memory set aside before a transfer's first write and given back after its last, so that
// showing the outcome finds room even when the process's memory limit or the machine's memory
// ran out meanwhile: a transfer must never end without its outcome being said.
#pragma once

#include <cstddef>
#include <memory>

namespace tern {

class MemoryReserve {
public:
    // Enough for every report a run makes once it has written: its texts and its JSON
    // document, whose size does not grow with the file. Large enough that the allocator maps
    // it on its own and gives it back to the system when it is freed.
    static constexpr size_t kBytes = size_t{1} << 20;

    // False when the memory cannot be had: then the run must not begin.
    bool Take();
    void Release() { m_block.reset(); }

private:
    std::unique_ptr<char[]> m_block;
};

}  // namespace tern
