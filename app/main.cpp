// tern-update: the Tern Update Program.
#include "app/TernUpdateApp.h"

int main(int argc, char** argv) {
    CTernUpdateApp app(argc, argv);
    app.InitInstance();
    return 0;
}
