// tern-update: the Tern Update Program.
#include <cstdio>
#include <new>

#include "app/SessionSignals.h"
#include "app/TernUpdateApp.h"
#include "devlink/DriverBitness.h"
#include "platform/LibrarySearch.h"
#include "status/StatusCodes.h"

int main(int argc, char** argv) {
    // Before anything can load a library: the dialogs, the component runtime, the device link.
    if (!tern::platform::RestrictLibrarySearch()) {
        std::fprintf(stderr, "tern-update: %s\n", tern::platform::kLibrarySearchRefused);
        return 1;
    }
    // A bus driver registered for the other bitness alone is served by the other build: it
    // starts in this one's place before any window, and keeps the single-instance rule itself.
    if (const std::string other = tern::HandOverTarget(); !other.empty()) {
        if (tern::platform::HandOver(other, false)) {
            return 0;
        }
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
