// The SHA-256 digest of a block of bytes, from the system's own implementation: OpenSSL's
// libcrypto on Linux, the system's cryptography provider (BCrypt) on Windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tern::platform {

using Sha256Digest = std::array<uint8_t, 32>;

// Nothing when the system could not compute it (no provider, no memory).
std::optional<Sha256Digest> Sha256(const uint8_t* bytes, size_t size);

}  // namespace tern::platform
