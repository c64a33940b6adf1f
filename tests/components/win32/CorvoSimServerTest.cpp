// The simulator's in-process server entry points that only Windows calls: whether the
// runtime may unload it.
#include <windows.h>

#include <gtest/gtest.h>

#include "devlink/CorvoInterfaces.h"

namespace tern {
namespace {

// The simulator as the runtime loads it: from the path registered for its class.
HMODULE RegisteredSimulator() {
    const std::string key = "CLSID\\" + platform::FormatGuid(CLSID_CorvoAsync) + "\\InprocServer32";
    char path[MAX_PATH + 1] = {};
    DWORD size = sizeof path - 1;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path,
                     &size) != ERROR_SUCCESS) {
        return nullptr;
    }
    return LoadLibraryA(path);
}

TEST(CorvoSimServer, MayBeUnloadedOnlyWithNoObjectAliveAndNoLock) {
    const HMODULE library = RegisteredSimulator();
    ASSERT_NE(library, nullptr);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    const auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllCanUnloadNow")));
    const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_NE(getClassObject, nullptr);
    EXPECT_EQ(canUnload(), S_OK);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(
        getClassObject(CLSID_CorvoAsync, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);  // the factory is alive
    factory->LockServer(TRUE);
    factory->Release();
    EXPECT_EQ(canUnload(), S_FALSE);  // locked
    ASSERT_EQ(
        getClassObject(CLSID_CorvoAsync, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    factory->LockServer(FALSE);
    factory->Release();
    EXPECT_EQ(canUnload(), S_OK);
    FreeLibrary(library);
}

}  // namespace
}  // namespace tern
