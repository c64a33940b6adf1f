// Fuzz input as a reader's file image: exactly the input's bytes, so AddressSanitizer sees
// any read one byte past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "engine/SMF.h"

namespace tern::fuzz {

inline void SetImage(CSMF& smf, const uint8_t* data, size_t size) {
    smf.m_pData = tern::platform::AllocateImage(size);
    if (size > 0) {
        std::memcpy(smf.m_pData.get(), data, size);
    }
    smf.m_dwSize = static_cast<uint32_t>(size);
}

}  // namespace tern::fuzz
