// In-process class registration on the system's runtime: the class object is registered
// with CoRegisterClassObject for the calling thread's apartment, where CoCreateInstance
// looks before the registry.
#include "platform/ComRuntime.h"

#include <mutex>
#include <utility>
#include <vector>

namespace tern::platform {
namespace {

std::mutex g_mutex;
std::vector<std::pair<CLSID, DWORD>>& Registrations() {
    static std::vector<std::pair<CLSID, DWORD>> registrations;
    return registrations;
}

}  // namespace

bool ComInitialisedOnThisThread() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(CoGetApartmentType(&type, &qualifier))) {
        return false;  // CO_E_NOTINITIALIZED
    }
    return !(type == APTTYPE_MTA && qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA);
}

void RegisterClassObject(const CLSID& clsid, DllGetClassObjectFn getClassObject) {
    IUnknown* factory = nullptr;
    if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        !factory) {
        return;
    }
    DWORD cookie = 0;
    const HRESULT hr =
        CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    factory->Release();  // the runtime holds its own reference while registered
    if (SUCCEEDED(hr)) {
        std::lock_guard lock(g_mutex);
        Registrations().emplace_back(clsid, cookie);
    }
}

void UnregisterClassObject(const CLSID& clsid) {
    std::lock_guard lock(g_mutex);
    auto& registrations = Registrations();
    for (auto it = registrations.begin(); it != registrations.end();) {
        if (it->first == clsid) {
            CoRevokeClassObject(it->second);
            it = registrations.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace tern::platform
