// tern-update: the Tern Update Program.
#include "app/SessionSignals.h"
#include "app/TernUpdateApp.h"

int main(int argc, char** argv) {
    // Before any other thread: a closed terminal or a logout must not cut a transfer off.
    const CSessionSignals sessionSignals;
    CTernUpdateApp app(argc, argv);
    app.InitInstance();
    return 0;
}
