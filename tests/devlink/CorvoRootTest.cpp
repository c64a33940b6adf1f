// Creating the root object: the run-time conversion to ICorvoAsync and what happens to an
// object that is not one.
#include "devlink/CorvoRoot.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/ComRuntime.h"

namespace tern {
namespace {

std::atomic<int> g_live{0};

// Answers the root's interface id but is no ICorvoAsync: a wrong or foreign component.
struct Impostor final : IUnknown {
    std::atomic<uint32_t> refs{1};
    Impostor() { ++g_live; }
    ~Impostor() { --g_live; }
    HRESULT QueryInterface(const IID&, void** out) override {
        AddRef();
        *out = this;
        return S_OK;
    }
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override {
        const uint32_t left = --refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }
};

struct ImpostorFactory final : IClassFactory {
    HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    HRESULT CreateInstance(IUnknown*, const IID& iid, void** out) override {
        auto* object = new Impostor;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT LockServer(int32_t) override { return S_OK; }
} g_impostorFactory;

HRESULT GetImpostor(const CLSID&, const IID&, void** out) {
    *out = &g_impostorFactory;
    return S_OK;
}

TEST(CorvoRoot, AnObjectThatIsNotTheRootInterfaceIsReleasedAndRefused) {
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetImpostor);
    CoInitialize(nullptr);
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_LT(CreateCorvoAsync(&root), 0);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(g_live, 0);
    CoUninitialize();
}

TEST(CorvoRoot, CreationFailsCleanlyWithoutTheRuntimeOrAComponent) {
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_EQ(CreateCorvoAsync(&root), CO_E_NOTINITIALIZED);
    EXPECT_EQ(root, nullptr);
    setenv("TERN_COMPONENT_PATH", "/nonexistent-tern-folder", 1);
    CoInitialize(nullptr);
    EXPECT_EQ(CreateCorvoAsync(&root), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(root, nullptr);
    CoUninitialize();
    unsetenv("TERN_COMPONENT_PATH");
}

}  // namespace
}  // namespace tern
