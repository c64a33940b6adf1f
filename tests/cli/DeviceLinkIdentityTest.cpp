// The device-link line: which library serves the link, and the simulated bus named as such,
// whoever serves it.
#include "cli/DeviceLinkIdentity.h"

#include <gtest/gtest.h>

#include "devlink/CorvoRoot.h"
#include "devlink/Handles.h"
#include "tests/support/ComponentEnvironment.h"

namespace tern::cli {
namespace {

TEST(DeviceLinkLine, NamesTheLibraryAndSaysWhenItIsTheSimulatedBus) {
    struct Case {
        platform::ComponentIdentity identity;
        std::string line;
    };
    const Case cases[] = {
        {{"/usr/lib/tern-update/components/corvo-sim.so", true},
         "Device link: /usr/lib/tern-update/components/corvo-sim.so (the simulated bus: nothing "
         "reaches a real Ostrel)"},
        {{"C:\\Drivers\\bus.dll", false}, "Device link: C:\\Drivers\\bus.dll"},
        {{"", false}, "Device link: served by this program"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceLinkLine(c.identity), c.line);
    }
}

TEST(DeviceLinkIdentity, IsTheSimulatorOnceTheRootIsMadeFromIt) {
    test::ComponentEnvironment env;
    ASSERT_TRUE(SUCCEEDED(CreateCorvoAsync(&g_pCorvoAsync)));
    const platform::ComponentIdentity identity = DeviceLinkIdentity();
    EXPECT_TRUE(identity.simulation);
    EXPECT_NE(identity.library.find("corvo-sim."), std::string::npos) << identity.library;
    ReleaseDeviceLinkHandles();
}

}  // namespace
}  // namespace tern::cli
