#include "engine/Checksum.h"

namespace tern {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

std::optional<uint8_t> Nibble(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<uint8_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint8_t>(c - 'A' + 10);
    }
    return std::nullopt;
}

}  // namespace

std::string DigestText(const platform::Sha256Digest& digest) {
    std::string text;
    text.reserve(digest.size() * 2);
    for (const uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<platform::Sha256Digest> ParseDigest(std::string_view text) {
    platform::Sha256Digest digest{};
    if (text.size() != digest.size() * 2) {
        return std::nullopt;
    }
    for (size_t i = 0; i < digest.size(); ++i) {
        const auto high = Nibble(text[2 * i]);
        const auto low = Nibble(text[2 * i + 1]);
        if (!high || !low) {
            return std::nullopt;
        }
        digest[i] = static_cast<uint8_t>(*high << 4 | *low);
    }
    return digest;
}

std::optional<platform::Sha256Digest> ImageDigest(const CSMF& reader) {
    return platform::Sha256(reader.m_pData.get(), reader.m_dwSize);
}

}  // namespace tern
