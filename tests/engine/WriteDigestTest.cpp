// The dry run's fingerprint of the writes: what an installation sent is compared with what
// the dry run predicted through it, so any difference in bytes or in how they were cut up
// must change it.
#include "engine/WriteDigest.h"

#include <gtest/gtest.h>

#include <vector>

namespace tern {
namespace {

using Writes = std::vector<std::vector<uint8_t>>;

uint64_t DigestOf(const Writes& writes) {
    WriteDigest digest;
    for (const auto& w : writes) {
        digest.Add(w.data(), static_cast<uint32_t>(w.size()));
    }
    return digest.Value();
}

TEST(WriteDigest, SameWritesAgreeAndAnyDifferenceShows) {
    const Writes reference = {{0xF0, 0x01, 0x02}, {0x03, 0x04}, {0xF7}};
    EXPECT_EQ(DigestOf(reference), DigestOf(reference));
    struct Case {
        const char* what;
        Writes writes;
    };
    const Case cases[] = {
        {"one byte changed", {{0xF0, 0x01, 0x02}, {0x03, 0x05}, {0xF7}}},
        {"the same bytes cut elsewhere", {{0xF0, 0x01}, {0x02, 0x03, 0x04}, {0xF7}}},
        {"the same bytes in one write", {{0xF0, 0x01, 0x02, 0x03, 0x04, 0xF7}}},
        {"an empty write added", {{0xF0, 0x01, 0x02}, {}, {0x03, 0x04}, {0xF7}}},
        {"the last write missing", {{0xF0, 0x01, 0x02}, {0x03, 0x04}}},
        {"writes in another order", {{0x03, 0x04}, {0xF0, 0x01, 0x02}, {0xF7}}},
        {"no writes", {}},
    };
    for (const Case& c : cases) {
        EXPECT_NE(DigestOf(c.writes), DigestOf(reference)) << c.what;
    }
}

TEST(WriteDigest, AWriteLongerThanTheHashsBlocksIsTakenWhole) {
    // Past the streaming hash's internal buffer, so its long-input path is taken too.
    std::vector<uint8_t> big(10000, 0x55);
    const uint64_t before = DigestOf({big});
    big[9999] = 0x56;
    EXPECT_NE(DigestOf({big}), before);
}

}  // namespace
}  // namespace tern
