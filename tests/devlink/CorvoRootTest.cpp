// Creating the root object: the run-time conversion to ICorvoAsync and what happens to an
// object that is not one. Without a registered component: platform/linux/ComRuntimeTest.cpp
// here, the Windows integration test there.
#include "devlink/CorvoRoot.h"

#include <gtest/gtest.h>

#include "platform/ComRuntime.h"
#include "tests/support/CountedObject.h"

namespace tern {
namespace {

// Answers the root's interface id but is no ICorvoAsync: a wrong or foreign component.
test::CountedObjectFactory g_impostorFactory(true);

HRESULT STDAPICALLTYPE GetImpostor(const CLSID&, const IID&, void** out) {
    *out = &g_impostorFactory;
    return S_OK;
}

TEST(CorvoRoot, AnObjectThatIsNotTheRootInterfaceIsReleasedAndRefused) {
    if (!platform::kInterfaceCastChecksType) {
        GTEST_SKIP() << "this platform's components may come from another compiler: the "
                        "interface id is all that can be checked";
    }
    CoInitialize(nullptr);
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetImpostor);
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_LT(CreateCorvoAsync(&root), 0);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(test::CountedObject::Live(), 0);
    CoUninitialize();
}

TEST(CorvoRoot, CreationFailsCleanlyWithoutTheRuntime) {
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_EQ(CreateCorvoAsync(&root), CO_E_NOTINITIALIZED);
    EXPECT_EQ(root, nullptr);
}

}  // namespace
}  // namespace tern
