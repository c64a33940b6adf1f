// Points the firmware port handle at another port for this object's lifetime, then puts back
// the one it replaced. Set it up before the play thread starts, end it after that has ended.
#pragma once

#include "devlink/Handles.h"

namespace tern::cli {

class ScopedFirmwarePort {
public:
    explicit ScopedFirmwarePort(ICorvoPort& port) : m_previous(g_pFirmwarePort) {
        g_pFirmwarePort = &port;
    }
    ~ScopedFirmwarePort() { g_pFirmwarePort = m_previous; }
    ScopedFirmwarePort(const ScopedFirmwarePort&) = delete;
    ScopedFirmwarePort& operator=(const ScopedFirmwarePort&) = delete;

private:
    ICorvoPort* const m_previous;
};

}  // namespace tern::cli
