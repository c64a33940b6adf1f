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

TEST(InterruptGate, EndsTheRunBeforeThePlayHoldsDuringItAndActsOnItAfter) {
    std::ostringstream out, err;
    Console console(out, err);
    int processStops = 0;
    const auto stopProcess = [&processStops] { ++processStops; };
    InterruptGate gate(console, stopProcess);
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
    EXPECT_EQ(processStops, 0);

    InterruptGate playing(console, stopProcess);
    ASSERT_TRUE(playing.BeginPlay());
    playing.SetStopAction([&] { ++stops; });
    playing.Interrupt(SIGINT);
    playing.Interrupt(SIGTERM);
    EXPECT_EQ(playing.Refused(), 2);
    EXPECT_EQ(playing.InterruptedBy(), 0);
    EXPECT_EQ(playing.Held(), SIGINT);  // the first one is acted on once the play has ended
    EXPECT_EQ(stops, 3);
    EXPECT_EQ(Lines(err.str()).size(), 2u);
    EXPECT_NE(err.str().find("Interrupt refused: Ctrl+C (SIGINT) is held"), std::string::npos)
        << err.str();
    playing.EndPlay();
    playing.ActOnHeldStop();
    EXPECT_EQ(processStops, 0);
    playing.Interrupt(SIGTERM);
    EXPECT_EQ(playing.Refused(), 2);
    EXPECT_EQ(playing.Held(), SIGINT);
}

#ifdef SIGTSTP
TEST(InterruptGate, CtrlZStopsAtOnceExceptDuringThePlayWhenItWaitsForItsEnd) {
    std::ostringstream out, err;
    Console console(out, err);
    int processStops = 0;
    InterruptGate gate(console, [&processStops] { ++processStops; });
    gate.Interrupt(SIGTSTP);
    EXPECT_EQ(processStops, 1);  // before the play nothing is being written
    EXPECT_EQ(gate.InterruptedBy(), 0);
    ASSERT_TRUE(gate.BeginPlay());
    gate.Interrupt(SIGTSTP);
    gate.Interrupt(SIGTSTP);
    EXPECT_EQ(processStops, 1);
    EXPECT_EQ(gate.Refused(), 2);
    EXPECT_EQ(gate.Held(), 0);  // a stop, not an end
    EXPECT_NE(err.str().find("Ctrl+Z (SIGTSTP) held"), std::string::npos) << err.str();
    gate.EndPlay();
    EXPECT_EQ(processStops, 1);  // not before the outcome has been shown
    gate.ActOnHeldStop();
    gate.ActOnHeldStop();
    EXPECT_EQ(processStops, 2);  // once, however many came
    gate.Interrupt(SIGTSTP);
    EXPECT_EQ(processStops, 3);
}
#endif

}  // namespace
}  // namespace tern::cli
