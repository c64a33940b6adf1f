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

// The class's server set to `library`, in the registry view `view` names (0: this program's).
bool WriteServer(REGSAM view, const std::string& library) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ServerKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool written =
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                       static_cast<DWORD>(library.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

REGSAM View(int bits) {
    return bits == 64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

}  // namespace

std::optional<std::string> ServerValue(const char* name) {
    char value[MAX_PATH + 1] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CLASSES_ROOT, ServerKey().c_str(), name, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(value);
}

bool ClassKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool RegisterOtherLibrary(const std::string& library) {
    return WriteServer(0, library);
}

void DeleteClassKey() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());
}

bool RegisterInView(int bits, const std::string& library) {
    return WriteServer(View(bits), library);
}

void DeleteClassKeyInView(int bits) {
    HKEY classes = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_ALL_ACCESS | View(bits), &classes) ==
        ERROR_SUCCESS) {
        RegDeleteTreeA(classes, platform::FormatGuid(CLSID_CorvoAsync).c_str());
        RegCloseKey(classes);
    }
}

void ExpectRegisteredTo(const std::string& library) {
    const std::string registered = ServerValue(nullptr).value_or("(none)");
    EXPECT_EQ(_stricmp(registered.c_str(), library.c_str()), 0) << registered;
    EXPECT_EQ(ServerValue("ThreadingModel"), "Both");
}

}  // namespace tern::test
