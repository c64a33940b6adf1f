// The plain progress lines with their schedule, and how interrupts are answered before,
// during and after the play.
#include <csignal>

#include <gtest/gtest.h>

#include <sstream>

#include "cli/InterruptGate.h"
#include "cli/TerminalProgress.h"
#include "tests/support/TextLines.h"

namespace tern::cli {
namespace {

using test::Lines;

// A schedule of 1,000 bytes over 2,000 ms, reaching 0%, 10%, 50% and 100%.
DryRunReport Plan() {
    DryRunReport plan;
    plan.portBytes = 1000;
    plan.durationMs = 2000;
    plan.marks[0] = {true, 0, 10};
    plan.marks[10] = {true, 200, 100};
    plan.marks[50] = {true, 1500, 500};
    plan.marks[100] = {true, 2000, 1000};
    return plan;
}

TEST(TerminalProgress, PlainOutputHasOneLinePerWholePercentAtMost) {
    const DryRunReport plan = Plan();
    std::ostringstream out, err;
    Console console(out, err);
    TerminalProgress progress(console, plan, TerminalProgress::Style::Lines);
    progress.SetRange(0, 100);
    for (int pos : {0, 0, 10, 10, 10, 50, 50, 100, 100}) {
        progress.SetPos(pos);
    }
    progress.Finish();
    EXPECT_EQ(Lines(out.str()), (std::vector<std::string>{
                                    "Progress:   0%  10 / 1000 bytes  2.0 s left",
                                    "Progress:  10%  100 / 1000 bytes  1.8 s left",
                                    "Progress:  50%  500 / 1000 bytes  500 ms left",
                                    "Progress: 100%  1000 / 1000 bytes  0 ms left",
                                }));
    EXPECT_EQ(err.str(), "");
}

TEST(InterruptGate, EndsTheRunBeforeThePlayRefusesDuringItIgnoresAfter) {
    std::ostringstream out, err;
    Console console(out, err);
    InterruptGate gate(console);
    int stops = 0;
    gate.SetStopAction([&] { ++stops; });
    gate.Interrupt(SIGTERM);
    gate.Interrupt(SIGINT);
    EXPECT_EQ(stops, 2);
    gate.SetStopAction([&] { ++stops; });  // set after the interrupt: runs at once
    EXPECT_EQ(stops, 3);
    EXPECT_EQ(gate.InterruptedBy(), SIGTERM);  // the first one counts
    EXPECT_FALSE(gate.BeginPlay());
    gate.ClearStopAction();
    gate.Interrupt(SIGINT);
    EXPECT_EQ(stops, 3);
    EXPECT_EQ(err.str(), "");

    InterruptGate playing(console);
    ASSERT_TRUE(playing.BeginPlay());
    playing.SetStopAction([&] { ++stops; });
    playing.Interrupt(SIGINT);
    playing.Interrupt(SIGTERM);
    EXPECT_EQ(playing.Refused(), 2);
    EXPECT_EQ(playing.InterruptedBy(), 0);
    EXPECT_EQ(stops, 3);
    EXPECT_EQ(Lines(err.str()).size(), 2u);
    EXPECT_NE(err.str().find("Interrupt refused"), std::string::npos);
    playing.EndPlay();
    playing.Interrupt(SIGINT);
    EXPECT_EQ(playing.Refused(), 2);
    EXPECT_EQ(playing.InterruptedBy(), 0);
}

}  // namespace
}  // namespace tern::cli
