// Creating the root object when the stand-in runtime finds no library serving its class.
#include <gtest/gtest.h>

#include "devlink/CorvoRoot.h"
#include "platform/ComRuntime.h"
#include "tests/support/Environment.h"

namespace tern {
namespace {

TEST(CorvoRootLinux, CreationFailsCleanlyWithoutAComponent) {
    test::SetEnv("TERN_COMPONENT_PATH", "/nonexistent-tern-folder");
    CoInitialize(nullptr);
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_EQ(CreateCorvoAsync(&root), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(root, nullptr);
    CoUninitialize();
    test::UnsetEnv("TERN_COMPONENT_PATH");
}

}  // namespace
}  // namespace tern
