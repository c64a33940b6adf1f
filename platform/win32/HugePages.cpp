#include "platform/HugePages.h"

namespace tern::platform {

// Windows gives large pages only to a process holding the lock-pages privilege, which an
// updater should not ask for; the buffer keeps small pages.
void AdviseHugePages(void*, size_t) {}

}  // namespace tern::platform
