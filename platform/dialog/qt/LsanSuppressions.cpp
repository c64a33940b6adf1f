// Built into AddressSanitizer builds only. Qt's raster paint engine hands large fills to a
// thread pool of its own; on rare runs the bookkeeping of one of its threads is still held at
// exit and reported as a leak. Only what the pool allocates while it starts a thread is
// ignored. Debian's Qt has no frame pointers, so stacks are unwound in full to see that frame.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QThreadPoolPrivate::startThread\n";
}

extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
