#include "platform/ImageMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace tern::platform {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// Below one huge page a mapping gains nothing and costs two system calls.
ImageMemory FromHeap(size_t size) {
    return ImageMemory(new (std::nothrow) uint8_t[size == 0 ? 1 : size](), ImageMemoryRelease{});
}

}  // namespace

void ImageMemoryRelease::operator()(uint8_t* bytes) const {
    if (mapped == 0) {
        delete[] bytes;
    } else {
        munmap(bytes, mapped);
    }
}

ImageMemory AllocateImage(size_t size) {
    if (size < kHugePage) {
        return FromHeap(size);
    }
    if (size > SIZE_MAX - 2 * kHugePage) {
        return ImageMemory(nullptr, ImageMemoryRelease{});
    }
    // Whole huge pages, on a huge-page boundary: map one page more than needed and give
    // back the ends, so no huge page of the image straddles the mapping's edge.
    const size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* mapping = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        return ImageMemory(nullptr, ImageMemoryRelease{});
    }
    const auto start = reinterpret_cast<uintptr_t>(mapping);
    const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) {
        munmap(mapping, aligned - start);
    }
    const uintptr_t tail = aligned + length;
    const uintptr_t end = start + length + kHugePage;
    if (end > tail) {
        munmap(reinterpret_cast<void*>(tail), end - tail);
    }
    auto* bytes = reinterpret_cast<uint8_t*>(aligned);
    // Refused advice (huge pages switched off) leaves small pages: nothing to report.
    madvise(bytes, length, MADV_HUGEPAGE);
    return ImageMemory(bytes, ImageMemoryRelease{length});
}

}  // namespace tern::platform
