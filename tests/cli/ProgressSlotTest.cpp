// The slot between the play thread and the thread that draws: what it passes on, in which
// order, and that a reader polling it while a play runs never sees a position ahead of its
// range or misses the last one.
#include "cli/ProgressSlot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <thread>

#include "tests/support/RecordingProgress.h"

namespace tern::cli {
namespace {

using Call = test::RecordingProgress::Call;
using Kind = test::RecordingProgress::Kind;

TEST(ProgressSlot, PassesOnTheRangeThenOnlyTheLatestPosition) {
    ProgressSlot slot;
    test::RecordingProgress seen;
    slot.ForwardTo(seen);
    EXPECT_TRUE(seen.Calls().empty()) << "nothing was set yet";

    slot.SetRange(0, 100);
    slot.SetPos(5);
    slot.SetPos(7);
    slot.ForwardTo(seen);
    slot.ForwardTo(seen);  // nothing new
    slot.SetPos(7);        // a new update, if the same value
    slot.ForwardTo(seen);
    // Whole ints go through, whatever their sign and size.
    slot.SetRange(-5, INT_MAX);
    slot.SetPos(INT_MIN);
    EXPECT_FALSE(slot.PlayEnded());
    slot.MarkPlayEnded();
    EXPECT_TRUE(slot.PlayEnded());
    slot.ForwardTo(seen);
    EXPECT_EQ(seen.Calls(), (std::vector<Call>{{Kind::Range, 0, 100},
                                               {Kind::Pos, 7, 0},
                                               {Kind::Pos, 7, 0},
                                               {Kind::Range, -5, INT_MAX},
                                               {Kind::Pos, INT_MIN, 0}}));
}

TEST(ProgressSlot, AReaderDuringAPlaySeesTheRangeFirstAndTheLastPositionAtTheEnd) {
    constexpr int kPlays = 50;
    for (int play = 0; play < kPlays; ++play) {
        ProgressSlot slot;
        test::RecordingProgress seen;
        seen.Reserve(1000);
        std::thread player([&slot] {
            slot.SetRange(0, 100);
            for (int pos = 0; pos <= 100; ++pos) {
                slot.SetPos(pos);
            }
            slot.MarkPlayEnded();
        });
        while (!slot.PlayEnded()) {
            slot.ForwardTo(seen);
        }
        player.join();
        slot.ForwardTo(seen);
        ASSERT_FALSE(seen.Calls().empty());
        EXPECT_EQ(seen.Calls().front(), (Call{Kind::Range, 0, 100}));
        const std::vector<int> positions = seen.Positions();
        ASSERT_FALSE(positions.empty());
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        EXPECT_EQ(positions.back(), 100);
        EXPECT_EQ(seen.Calls().size(), positions.size() + 1);  // one range
    }
}

}  // namespace
}  // namespace tern::cli
