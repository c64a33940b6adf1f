// tern-update: the Tern Update Program.
#include <cstdio>
#include <new>

#include "app/SessionSignals.h"
#include "app/TernUpdateApp.h"
#include "status/StatusCodes.h"

int main(int argc, char** argv) {
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
