// Advice that a large buffer about to be filled at once be backed by huge pages: the system
// then faults it in a few large pages instead of thousands of small ones, which is most of
// the cost of reading a big file into fresh memory. Advice only: the buffer works the same
// where it is not taken (small buffers, a system without the feature, Windows).
#pragma once

#include <cstddef>

namespace tern::platform {

// Call before the buffer's first touch; only whole pages inside it are advised.
void AdviseHugePages(void* bytes, size_t size);

}  // namespace tern::platform
