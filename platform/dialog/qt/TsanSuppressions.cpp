// Built into ThreadSanitizer builds only. Debian's Qt libraries are not built with the
// sanitizer, so the synchronisation inside them (futex-based mutexes, Qt's thread pool) is
// invisible to it and Qt's own allocations look unsynchronised. Calls from those libraries
// into the sanitizer are ignored; everything of ours stays checked, including the
// worker-to-window hand-off, which uses standard-library synchronisation.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n";
}
