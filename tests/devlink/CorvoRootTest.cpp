// Creating the root object: the run-time conversion to ICorvoAsync and what happens to an
// object that is not one.
#include "devlink/CorvoRoot.h"

#include <gtest/gtest.h>

#include "platform/ComRuntime.h"
#include "tests/support/CountedObject.h"

namespace tern {
namespace {

// Answers the root's interface id but is no ICorvoAsync: a wrong or foreign component.
test::CountedObjectFactory g_impostorFactory(true);

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
    EXPECT_EQ(test::CountedObject::Live(), 0);
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
