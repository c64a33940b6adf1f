// Reference counting for every object the simulated bus hands out. An object released to
// zero gives up what it holds but keeps its shell until the process ends, so a Release or
// AddRef too many is counted as a misuse instead of touching freed memory.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/ComTypes.h"

namespace corvo_sim {

class SimObject {
public:
    virtual ~SimObject() = default;
};

void CountCreated();
void CountRetired(SimObject* shell);  // takes the shell
void CountMisuse();
// IClassFactory::LockServer: the library is kept loaded while locked.
void CountServerLock(bool lock);
// True while an object is alive or the server is locked: the library must stay loaded.
bool InUse();

template <class Interface, const IID& kInterfaceId>
class RefCounted : public Interface, public SimObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == kInterfaceId) {
            AddRef();
            *out = static_cast<Interface*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        if (m_retired.load()) {
            CountMisuse();
            return 0;
        }
        return ++m_references;
    }

    ULONG STDMETHODCALLTYPE Release() override {
        if (m_retired.load()) {
            CountMisuse();
            return 0;
        }
        const ULONG left = --m_references;
        if (left == 0) {
            m_retired.store(true);
            Drop();
            CountRetired(this);
        }
        return left;
    }

protected:
    RefCounted() { CountCreated(); }
    // Gives up what the object holds (bus, device) when the last reference goes.
    virtual void Drop() {}

private:
    std::atomic<ULONG> m_references{1};
    std::atomic<bool> m_retired{false};
};

}  // namespace corvo_sim
