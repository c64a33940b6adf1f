// A fingerprint of what reached a port: every write's byte count and bytes, in order
// (64-bit XXH3, streamed). Equal digests mean the same writes, cut the same way.
#pragma once

#include <cstdint>

// Compiled in, so that the fingerprint needs no library at run time on either system.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace tern {

class WriteDigest {
public:
    WriteDigest() { XXH3_64bits_reset(&m_state); }

    void Add(const uint8_t* bytes, uint32_t count) {
        // The count in a fixed byte order: the same writes give the same digest everywhere.
        const uint8_t length[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                   static_cast<uint8_t>(count >> 16),
                                   static_cast<uint8_t>(count >> 24)};
        XXH3_64bits_update(&m_state, length, sizeof length);
        XXH3_64bits_update(&m_state, bytes, count);
    }
    uint64_t Value() const { return XXH3_64bits_digest(&m_state); }

private:
    XXH3_state_t m_state;
};

}  // namespace tern
