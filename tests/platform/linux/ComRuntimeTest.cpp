// The component runtime: per-thread initialisation, creation rules, the plug-in search and
// the task allocator.
#include "platform/ComRuntime.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "devlink/CorvoInterfaces.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/CountedObject.h"

namespace tern::platform {
namespace {

constexpr CLSID kTestClass = GuidFromText("{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}");

test::CountedObjectFactory g_testFactory(false);

HRESULT STDAPICALLTYPE GetTestClassObject(const CLSID& clsid, const IID&, void** out) {
    *out = clsid == kTestClass ? &g_testFactory : nullptr;
    return *out ? S_OK : CLASS_E_CLASSNOTAVAILABLE;
}

TEST(ComRuntime, InitialisationIsCountedPerThread) {
    EXPECT_EQ(ComInitCount(), 0);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    std::thread([] { EXPECT_EQ(ComInitCount(), 0); }).join();
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many is ignored
    EXPECT_EQ(ComInitCount(), 0);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

TEST(ComRuntime, CreationRulesAreCheckedBeforeAnyObjectExists) {
    ScopedClassRegistration registration(kTestClass, GetTestClassObject);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(out, nullptr);

    CoInitialize(nullptr);
    auto* outer = new test::CountedObject(false);
    struct Case {
        IUnknown* outer;
        uint32_t context;
        IID iid;
        HRESULT result;
    };
    const Case cases[] = {
        {outer, CLSCTX_INPROC_SERVER, IID_IUnknown, CLASS_E_NOAGGREGATION},
        {nullptr, 0x4 /* local server */, IID_IUnknown, REGDB_E_CLASSNOTREG},
        {nullptr, CLSCTX_INPROC_HANDLER, IID_ICorvoAsync, E_NOINTERFACE},
        {nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IUnknown, S_OK},
    };
    for (const Case& c : cases) {
        out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(kTestClass, c.outer, c.context, c.iid, &out), c.result);
        EXPECT_EQ(out != nullptr, SUCCEEDED(c.result));
        if (out) {
            EXPECT_EQ(test::CountedObject::Live(), 2);  // `outer` and the new one, whose count is 1
            EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 0u);
        }
    }
    outer->Release();
    EXPECT_EQ(test::CountedObject::Live(), 0);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 3, IID_IUnknown, nullptr), E_POINTER);
    CoUninitialize();
}

TEST(ComRuntime, ComponentFoldersComeFromTheVariableAbsoluteOnlyOrBesideTheExecutable) {
    setenv("TERN_COMPONENT_PATH", "/a:components:/b/c::./d:/d", 1);
    ComponentFolderList list = ComponentFolders();
    EXPECT_EQ(list.folders, (std::vector<std::string>{"/a", "/b/c", "/d"}));
    ASSERT_EQ(list.problems.size(), 2u);
    EXPECT_NE(list.problems[0].find("\"components\", which is not an absolute folder"),
              std::string::npos);
    unsetenv("TERN_COMPONENT_PATH");
    list = ComponentFolders();
    EXPECT_EQ(list.folders, std::vector<std::string>{std::string(TERN_BIN_DIR) +
                                                     "/../lib/tern-update/components"});
    EXPECT_TRUE(list.problems.empty());
}

TEST(ComRuntime, NoLibraryServingTheClassMeansNoObject) {
    for (const std::string& path :
         {std::string("/nonexistent-tern-folder"), std::string(TERN_TEST_COMPONENT_DIR)}) {
        test::ComponentEnvironment env(path);
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(CLSID_CorvoAsync, nullptr, 3, IID_ICorvoAsync, &out),
                  REGDB_E_CLASSNOTREG)
            << path;
        EXPECT_EQ(out, nullptr);
    }
}

TEST(ComRuntime, OnlyRegisteredLibrariesAreTriedAndEachSkipHasItsReason) {
    // The test folder registers, for the device link's class, a library that is not one and
    // a library that serves another class, and holds a library nobody registered; the
    // simulator's folder comes after it.
    test::ComponentEnvironment env(std::string(TERN_TEST_COMPONENT_DIR) + ":" + TERN_COMPONENT_DIR);
    IUnknown* root = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_CorvoAsync, nullptr, 3, IID_ICorvoAsync,
                               reinterpret_cast<void**>(&root)),
              S_OK);
    ASSERT_NE(root, nullptr);
    root->Release();
    const std::string folder = TERN_TEST_COMPONENT_DIR;
    const std::vector<std::string> expected = {
        folder + "/broken.so cannot be loaded",
        folder + "/other-plugin.so does not serve the class " + folder + "/b-other.component",
        folder + "/c-unreadable.component names no class"};
    const std::vector<std::string> skipped = SkippedInLastSearch();
    ASSERT_EQ(skipped.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(skipped[i].rfind(expected[i], 0), 0u) << skipped[i];
    }
    EXPECT_EQ(dlopen((folder + "/unregistered.so").c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "a library nobody registered was opened";

    const std::string other = folder + "/other-plugin.so";
    void* handle = dlopen(other.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr) << "the registered plug-in was never loaded";
    auto asked = reinterpret_cast<int (*)()>(dlsym(handle, "OtherPluginAskedCount"));
    ASSERT_NE(asked, nullptr);
    const int before = asked();
    EXPECT_GE(before, 1);

    // Loaded once: asking again reuses the library rather than loading it anew.
    ASSERT_EQ(CoCreateInstance(CLSID_CorvoAsync, nullptr, 3, IID_ICorvoAsync,
                               reinterpret_cast<void**>(&root)),
              S_OK);
    root->Release();
    EXPECT_EQ(asked(), before + 1);
    dlclose(handle);
}

TEST(ComRuntime, TaskMemoryIsAccountedAndStrayFreesAreRefused) {
    const TaskMemoryStats before = GetTaskMemoryStats();
    void* a = CoTaskMemAlloc(280);
    void* b = CoTaskMemAlloc(0);  // still a distinct block the caller must free
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(GetTaskMemoryStats().outstanding, before.outstanding + 2);
    CoTaskMemFree(a);
    CoTaskMemFree(b);
    CoTaskMemFree(nullptr);
    EXPECT_EQ(GetTaskMemoryStats().outstanding, before.outstanding);
    EXPECT_EQ(GetTaskMemoryStats().invalidFrees, before.invalidFrees);

    CoTaskMemFree(a);  // freed already: refused and counted, the heap untouched
    int onStack = 0;
    CoTaskMemFree(&onStack);
    EXPECT_EQ(GetTaskMemoryStats().invalidFrees, before.invalidFrees + 2);
}

}  // namespace
}  // namespace tern::platform
