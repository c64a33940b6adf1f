// What discovery shows: the window (or a terminal, or a test) implements this, and the
// discovery worker reports through it, in the order it makes its changes. Calls come from
// the worker thread and must return only when the change has been applied.
#pragma once

#include <cstdint>

#include "platform/ComTypes.h"

class IDiscoveryView {
public:
    virtual void EnableBrowse(bool enable) = 0;
    virtual void SetStatusText(const char* text) = 0;
    virtual void SetOutputPort(const char* text) = 0;
    // Stores the status code, as one whole 32-bit word.
    virtual void SetStatus(int32_t status) = 0;
    // The system's result when the root object could not be created, given just before that
    // failure is stored; a view that shows only the fixed messages (the window) ignores it.
    virtual void SetRootFailure(HRESULT /*result*/) {}

protected:
    ~IDiscoveryView() = default;
};
