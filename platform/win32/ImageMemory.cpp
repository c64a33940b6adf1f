#include "platform/ImageMemory.h"

#include <windows.h>

namespace tern::platform {

// Large pages are given only to a process holding the lock-pages privilege, which an
// updater should not ask for. Committed pages come zeroed and are faulted in on first touch.
void ImageMemoryRelease::operator()(uint8_t* bytes) const {
    VirtualFree(bytes, 0, MEM_RELEASE);
}

ImageMemory AllocateImage(size_t size) {
    void* bytes =
        VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    return ImageMemory(static_cast<uint8_t*>(bytes), ImageMemoryRelease{size});
}

}  // namespace tern::platform
