// tern-update: the Tern Update Program.
#include <cstdio>
#include <new>

#include "app/SessionSignals.h"
#include "app/TernUpdateApp.h"
#include "platform/LibrarySearch.h"
#include "status/StatusCodes.h"

int main(int argc, char** argv) {
    // Before anything can load a library: the dialogs, the component runtime, the device link.
    if (!tern::platform::RestrictLibrarySearch()) {
        std::fprintf(stderr, "tern-update: %s\n", tern::platform::kLibrarySearchRefused);
        return 1;
    }
    try {
        // Before any other thread: a closed terminal or a logout must not cut a transfer off.
        const CSessionSignals sessionSignals;
        CTernUpdateApp app(argc, argv);
        app.InitInstance();
    } catch (const std::bad_alloc&) {
        // The window, on its way out, has waited for a transfer that was running.
        std::fprintf(stderr, "tern-update: %s\n", tern::MessageText(tern::kMsgNoMemory));
        return 1;
    }
    return 0;
}
