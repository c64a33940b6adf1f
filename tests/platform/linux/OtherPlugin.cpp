// A plug-in that serves some other class: the registry must ask it and move on.
#include <atomic>

#include "platform/ComTypes.h"

namespace {
std::atomic<int> g_asked{0};
}

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID&,
                                                                            const IID&,
                                                                            void** out) {
    ++g_asked;
    if (out) {
        *out = nullptr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __attribute__((visibility("default"))) int OtherPluginAskedCount() {
    return g_asked;
}
