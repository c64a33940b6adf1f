// 128-bit class and interface identifiers, with their "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
// text form. The GUID type itself is the platform's (platform/<backend>/backend/Guid.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backend/Guid.h"  // GUID, CLSID, IID and their comparison

namespace tern::platform {

namespace detail {
constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
}  // namespace detail

// Parses the braced text form; anything else (missing braces or dashes, a wrong length, a
// non-hex digit) gives nothing.
constexpr std::optional<GUID> ParseGuid(std::string_view text) {
    constexpr std::string_view kShape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text.size() != kShape.size()) {
        return std::nullopt;
    }
    uint8_t bytes[16] = {};
    int nibble = 0;
    for (size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] != 'x') {
            if (text[i] != kShape[i]) {
                return std::nullopt;
            }
            continue;
        }
        const int digit = detail::HexDigit(text[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<uint8_t>(bytes[nibble / 2] << 4 | digit);
        ++nibble;
    }
    GUID g{};
    g.Data1 =
        uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
    g.Data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    g.Data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = bytes[8 + i];
    }
    return g;
}

// For identifiers fixed in the source: a malformed text fails to compile.
consteval GUID GuidFromText(std::string_view text) {
    return ParseGuid(text).value();
}

// The braced text form, upper-case hex.
std::string FormatGuid(const GUID& guid);

}  // namespace tern::platform
