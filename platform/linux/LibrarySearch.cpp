#include "platform/LibrarySearch.h"

namespace tern::platform {

bool RestrictLibrarySearch() {
    return true;  // the loader's search holds no folder a person's working place can add
}

}  // namespace tern::platform
