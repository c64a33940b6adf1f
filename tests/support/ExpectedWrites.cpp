#include "tests/support/ExpectedWrites.h"

#include <cstdint>

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

}  // namespace tern::test
