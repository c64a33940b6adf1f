// The simulator as a registrable in-process server: the registry entry through which the
// system's component runtime finds it, exactly as it finds the bus driver's component, and
// the answer to whether the library may be unloaded.
#include <olectl.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "components/corvo-sim/RefCounted.h"
#include "devlink/CorvoInterfaces.h"

namespace {

constexpr wchar_t kThreadingModel[] = L"Both";  // called from any thread, without marshalling

std::wstring ClassKeyPath() {
    const std::string clsid = tern::platform::FormatGuid(CLSID_CorvoAsync);
    return L"CLSID\\" + std::wstring(clsid.begin(), clsid.end());
}

std::wstring ServerKeyPath() {
    return ClassKeyPath() + L"\\InprocServer32";
}

// The full path of this library, as the runtime must load it.
std::wstring ThisLibraryPath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&ThisLibraryPath), &self)) {
        return {};
    }
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    return length == 0 || length == MAX_PATH ? std::wstring() : std::wstring(path, length);
}

LSTATUS SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The default value of the server key: the library the class is registered to.
std::wstring RegisteredLibrary() {
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, ServerKeyPath().c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

bool IsEmptyKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    const bool empty =
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0;
    RegCloseKey(key);
    return empty;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return corvo_sim::InUse() ? S_FALSE : S_OK;
}

// HKEY_CLASSES_ROOT\CLSID\{1A23B247-...}\InprocServer32: this library's path as its default
// value, and ThreadingModel "Both".
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring library = ThisLibraryPath();
    if (library.empty()) {
        return SELFREG_E_CLASS;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, ServerKeyPath().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    const bool written = SetString(key, nullptr, library) == ERROR_SUCCESS &&
                         SetString(key, L"ThreadingModel", kThreadingModel) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written ? S_OK : SELFREG_E_CLASS;
}

// Removes what DllRegisterServer wrote, and only while the class is registered to this
// library: the same class id may name the bus driver's component, which must survive.
// The class key goes too when nothing else is left in it.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const std::wstring registered = RegisteredLibrary();
    if (registered.empty()) {
        return S_OK;  // nothing of ours is there
    }
    const std::wstring library = ThisLibraryPath();
    if (library.empty() || _wcsicmp(registered.c_str(), library.c_str()) != 0) {
        return SELFREG_E_CLASS;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ServerKeyPath().c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    RegDeleteValueW(key, nullptr);
    RegDeleteValueW(key, L"ThreadingModel");
    RegCloseKey(key);
    if (IsEmptyKey(ServerKeyPath()) &&
        RegDeleteKeyW(HKEY_CLASSES_ROOT, ServerKeyPath().c_str()) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    if (IsEmptyKey(ClassKeyPath())) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, ClassKeyPath().c_str());
    }
    return S_OK;
}
