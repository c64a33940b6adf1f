// The component runtime on the calling thread for one command, and the device-link handles
// released in their order before the runtime is shut down, as the window's destructor does.
#pragma once

#include "devlink/Handles.h"
#include "platform/ComRuntime.h"

namespace tern::cli {

class DeviceLinkSession {
public:
    DeviceLinkSession() { CoInitialize(nullptr); }  // a second initialisation is harmless
    ~DeviceLinkSession() {
        ReleaseDeviceLinkHandles();
        CoUninitialize();
    }
    DeviceLinkSession(const DeviceLinkSession&) = delete;
    DeviceLinkSession& operator=(const DeviceLinkSession&) = delete;
};

}  // namespace tern::cli
