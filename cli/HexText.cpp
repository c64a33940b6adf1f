#include "cli/HexText.h"

#include <cstdio>

namespace tern::cli {

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string TagText(uint32_t tag) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(tag >> shift);
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return text;
}

}  // namespace tern::cli
