// The component runtime: per-thread initialisation (CoInitialize, CoUninitialize), creation
// of component objects by class id (CoCreateInstance) and the task allocator that components
// hand lists out with (CoTaskMemAlloc, CoTaskMemFree). On Windows it is the system's own;
// elsewhere our stand-in, which loads plug-in libraries (platform/<backend>/backend/
// ComRuntime.h says how each finds a component).
//
// Also, on every platform:
// - InterfaceCast<I>(object): the run-time conversion of a created object to the interface
//   it was created as; null when the platform can tell that it is not one
//   (kInterfaceCastChecksType says whether it can).
// - task memory counts, so tests can see that every list handed out was freed once;
// - in-process class registration, so tests can serve a class from the test program.
#pragma once

#include <cstdint>

#include "backend/ComRuntime.h"
#include "platform/ComTypes.h"

namespace tern::platform {

struct TaskMemoryStats {
    uint64_t outstanding;   // blocks allocated and not yet freed
    uint64_t invalidFrees;  // frees of pointers that were not live blocks
};
// Counts since the process started. On Windows a program that calls this watches the
// system's allocator from its start-up on (platform/win32/TaskMemory.cpp); programs
// that never ask do not watch it.
TaskMemoryStats GetTaskMemoryStats();

// Whether the calling thread has initialised the runtime (and not undone it); a thread that
// joins a multithreaded apartment implicitly counts as not initialised.
bool ComInitialisedOnThisThread();

// Serves `clsid` from this process, ahead of any library or registration, while registered
// (tests). The calling thread must have initialised the runtime; creations on the same thread
// find it.
void RegisterClassObject(const CLSID& clsid, DllGetClassObjectFn getClassObject);
void UnregisterClassObject(const CLSID& clsid);

class ScopedClassRegistration {
public:
    ScopedClassRegistration(const CLSID& clsid, DllGetClassObjectFn getClassObject)
        : m_clsid(clsid) {
        RegisterClassObject(clsid, getClassObject);
    }
    ~ScopedClassRegistration() { UnregisterClassObject(m_clsid); }
    ScopedClassRegistration(const ScopedClassRegistration&) = delete;
    ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;

private:
    CLSID m_clsid;
};

}  // namespace tern::platform
