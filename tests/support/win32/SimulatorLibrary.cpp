#include "tests/support/SimulatorLibrary.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "devlink/CorvoInterfaces.h"
#include "tests/support/ComponentEnvironment.h"

namespace tern::test {
namespace {

// The library registered for the device link's class: what CoCreateInstance loads.
std::wstring RegisteredLibrary() {
    const std::string clsid = platform::FormatGuid(CLSID_CorvoAsync);
    const std::wstring key =
        L"CLSID\\" + std::wstring(clsid.begin(), clsid.end()) + L"\\InprocServer32";
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

}  // namespace

void UseComponentFolders(const std::string& folders) {
    if (!folders.empty()) {
        ADD_FAILURE() << "component folders are not used on Windows: " << folders;
    }
}

void ForgetComponentFolders() {}

CorvoSimCounts SimulatorCounts() {
    CorvoSimCounts counts{-1, -1};
    // Kept loaded, so the counts live as long as the test program, whatever the runtime
    // unloads; the same path gives the same module the runtime uses.
    static const HMODULE library = [] {
        const std::wstring path = RegisteredLibrary();
        return path.empty() ? nullptr : LoadLibraryW(path.c_str());
    }();
    if (!library) {
        ADD_FAILURE() << "the simulator is not registered, or cannot be loaded";
        return counts;
    }
    const auto get = reinterpret_cast<CorvoSimGetCountsFn>(
        reinterpret_cast<void*>(GetProcAddress(library, kCorvoSimGetCountsName)));
    if (get) {
        get(&counts);
    } else {
        ADD_FAILURE() << "the simulator exports no counts";
    }
    return counts;
}

}  // namespace tern::test
