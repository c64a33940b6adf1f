// Memory for a whole file image, read into at once. Filling a big fresh buffer is mostly
// the system handing out its pages one by one; on Linux an image of a few MiB or more is
// mapped aligned to huge pages and advised for them, so it is faulted in a few large steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tern::platform {

// Gives back what AllocateImage handed out, however it was obtained.
struct ImageMemoryRelease {
    size_t mapped = 0;  // bytes mapped for the image; 0 when it came from the heap
    void operator()(uint8_t* bytes) const;
};

using ImageMemory = std::unique_ptr<uint8_t[], ImageMemoryRelease>;

// `size` zeroed bytes, or null when there is no memory for them. A size of 0 gives a valid,
// unique pointer to no bytes.
ImageMemory AllocateImage(size_t size);

}  // namespace tern::platform
