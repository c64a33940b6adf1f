#include "tests/support/ExpectedWrites.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/ComponentEnvironment.h"

namespace tern::test {

std::vector<std::string> ExpectedWrites(const std::vector<samples::SampleSysEx>& events) {
    static constexpr char kHex[] = "0123456789abcdef";
    constexpr size_t kPieceBytes = 4096;
    std::vector<std::string> writes;
    for (const samples::SampleSysEx& event : events) {
        std::string piece = "f0";
        for (uint8_t byte : event.data) {
            if (piece.size() == 2 * kPieceBytes) {
                writes.push_back(piece);
                piece.clear();
            }
            piece += kHex[byte >> 4];
            piece += kHex[byte & 0xF];
        }
        writes.push_back(piece);
    }
    return writes;
}

void ExpectSampleWritten(const std::string& path) {
    const std::vector<CapturedWrite> written = ReadCapture(path);
    const std::vector<std::string> expected = ExpectedWrites(samples::BuildSampleFirmware().sysex);
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_FALSE(written[i].failed) << "write " << i;
        EXPECT_EQ(written[i].count * 2, expected[i].size()) << "write " << i;
        EXPECT_EQ(written[i].hex, expected[i]) << "write " << i;
    }
}

}  // namespace tern::test
