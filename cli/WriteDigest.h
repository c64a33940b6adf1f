// A fingerprint of what reached a port: every write's byte count and bytes, in order
// (64-bit FNV-1a). Equal digests mean the same writes, cut the same way.
#pragma once

#include <cstdint>

namespace tern::cli {

class WriteDigest {
public:
    void Add(const uint8_t* bytes, uint32_t count) {
        for (int shift = 0; shift < 32; shift += 8) {
            Mix(static_cast<uint8_t>(count >> shift));
        }
        for (uint32_t i = 0; i < count; ++i) {
            Mix(bytes[i]);
        }
    }
    uint64_t Value() const { return m_hash; }

private:
    void Mix(uint8_t byte) { m_hash = (m_hash ^ byte) * 0x100000001B3ull; }

    uint64_t m_hash = 0xCBF29CE484222325ull;
};

}  // namespace tern::cli
