// Built into ThreadSanitizer builds only. Debian's Qt libraries are not built with the
// sanitizer, so the synchronisation inside them (futex-based mutexes, Qt's thread pool) is
// invisible to it and Qt's own allocations look unsynchronised. Calls from those libraries
// into the sanitizer are ignored; everything of ours stays checked, including the
// worker-to-window hand-off, which uses standard-library synchronisation. On a real X
// display Qt's platform plug-in, its event loop (GLib), X client (libxcb) and D-Bus client
// (libdbus) run threads of their own too.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libQt6XcbQpa.so.6\n"
           "called_from_lib:libQt6DBus.so.6\n"
           "called_from_lib:libdbus-1.so.3\n"
           "called_from_lib:libglib-2.0.so.0\n"
           "called_from_lib:libxcb.so.1\n";
}
