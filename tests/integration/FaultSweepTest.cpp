// The fault sweep: for the sample firmware, fail the k-th port write for every k. Each run
// must end as a communication error, never as a success, and nothing may be written after
// the failed write.
#include <gtest/gtest.h>

#include "devlink/DiscoveryWorker.h"
#include "devlink/Handles.h"
#include "engine/VexDataPlay.h"
#include "platform/ComRuntime.h"
#include "samples/SampleFirmware.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TempDir.h"

namespace tern {
namespace {

// Discovery as the window runs it, reporting to nobody.
class SilentView final : public IDiscoveryView {
public:
    void EnableBrowse(bool) override {}
    void SetStatusText(const char*) override {}
    void SetOutputPort(const char*) override {}
    void SetStatus(int32_t status) override { m_status = status; }
    std::atomic<int32_t> m_status{-1};
};

struct Outcome {
    int32_t error;
    std::vector<test::CapturedWrite> writes;
};

// Discovers the simulated Ostrel under `scenario`, plays `player` into it, releases it all.
Outcome InstallOnSimulator(test::ComponentEnvironment& env, const std::string& scenario,
                           CVexDataPlay& player) {
    env.SetScenario(scenario);
    const std::string capture = env.CaptureToFile();
    SilentView view;
    {
        CDiscoveryWorker discovery(view);
        EXPECT_TRUE(discovery.Start());
        discovery.Wait();
    }
    EXPECT_EQ(view.m_status, 0);
    test::RecordingProgress progress;
    player.Play(progress, kInstallTempo);
    ReleaseDeviceLinkHandles();
    return {player.m_nError, test::ReadCapture(capture)};
}

TEST(FaultSweep, EveryFailedWriteEndsTheRunAsACommunicationError) {
    test::ComponentEnvironment env;
    platform::FakeClock clock(0, 1);
    platform::ScopedClock installed(clock);
    test::TempDir dir;
    auto player = std::make_unique<CVexDataPlay>();
    ASSERT_TRUE(player->LoadFile(dir.Write("sample.mid", samples::BuildSampleFirmware().file)));

    const Outcome clean = InstallOnSimulator(env, "", *player);
    ASSERT_EQ(clean.error, 0);
    const size_t total = clean.writes.size();
    ASSERT_GT(total, 64u);

    for (size_t k = 1; k <= total; ++k) {
        const Outcome run =
            InstallOnSimulator(env, "write_fails_at = " + std::to_string(k) + "\n", *player);
        EXPECT_NE(run.error, 0) << "failing write " << k;
        ASSERT_EQ(run.writes.size(), k) << "failing write " << k;
        EXPECT_TRUE(run.writes.back().failed) << "failing write " << k;
        for (size_t i = 0; i + 1 < k; ++i) {
            EXPECT_FALSE(run.writes[i].failed);
            EXPECT_EQ(run.writes[i].hex, clean.writes[i].hex) << "write " << i;
        }
        EXPECT_EQ(test::SimulatorCounts().liveObjects, 0);
    }
}

}  // namespace
}  // namespace tern
