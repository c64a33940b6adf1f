// Holds a test run's Wine desktop open until the run ends the prefix (`wineserver -k`).
//
// Wine closes a desktop a few seconds after the last program attached to it has ended, and
// every later program with a window then waits for it to be started again (seconds each, and
// over ten when the prefix's services are slow to answer). Attached for the whole run, this
// program keeps the one desktop up between the tests. It owns no window, so it never takes
// the focus or a key from a window under test, and it reads no input.
#include <windows.h>

#include <cstdio>

int main() {
    // Asking for the desktop's window attaches this process to the desktop and waits until
    // the desktop runs, starting it when none does.
    if (GetDesktopWindow() == nullptr) {
        std::fputs("desktop-holder: this process has no desktop\n", stderr);
        return 1;
    }
    // The starting script waits for this line before the first test runs.
    std::puts("desktop-holder: holding the desktop");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
