#include "tests/support/win32/ClassRegistration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "devlink/CorvoInterfaces.h"
#include "platform/Guid.h"

namespace tern::test {
namespace {

std::string ClassKey() {
    return "CLSID\\" + platform::FormatGuid(CLSID_CorvoAsync);
}
std::string ServerKey() {
    return ClassKey() + "\\InprocServer32";
}

REGSAM Access(REGSAM access, RegistryView view) {
    switch (view) {
        case RegistryView::Bits32:
            return access | KEY_WOW64_32KEY;
        case RegistryView::Bits64:
            return access | KEY_WOW64_64KEY;
        case RegistryView::Own:
            break;
    }
    return access;
}

}  // namespace

std::optional<std::string> ServerValue(const char* name, RegistryView view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ServerKey().c_str(), 0, Access(KEY_QUERY_VALUE, view),
                      &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char value[MAX_PATH + 1] = {};
    DWORD size = sizeof value - 1;
    const LSTATUS status = RegGetValueA(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(value);
}

bool ClassKeyExists(RegistryView view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, Access(KEY_READ, view), &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool RegisterOtherLibrary(const std::string& library, RegistryView view) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ServerKey().c_str(), 0, nullptr, 0,
                        Access(KEY_SET_VALUE, view), nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool written =
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                       static_cast<DWORD>(library.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

void DeleteClassKey(RegistryView view) {
    // Through CLSID opened in the view: RegDeleteTree itself always works in the program's own.
    HKEY classes = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, Access(KEY_ALL_ACCESS, view), &classes) ==
        ERROR_SUCCESS) {
        RegDeleteTreeA(classes, platform::FormatGuid(CLSID_CorvoAsync).c_str());
        RegCloseKey(classes);
    }
}

void ExpectRegisteredTo(const std::string& library, RegistryView view) {
    const std::string registered = ServerValue(nullptr, view).value_or("(none)");
    EXPECT_EQ(_stricmp(registered.c_str(), library.c_str()), 0) << registered;
    EXPECT_EQ(ServerValue("ThreadingModel", view), "Both");
}

}  // namespace tern::test
