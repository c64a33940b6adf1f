// Puts raw bytes into a reader as if a file had been read, for the parse and track-reader
// tests that need no file on disk.
#pragma once

#include <cstring>

#include "engine/SMF.h"
#include "samples/SmfWriter.h"

namespace tern::test {

inline void SetImage(CSMF& smf, const samples::Bytes& bytes) {
    // Exactly the file's size, so AddressSanitizer catches a read one byte past it.
    smf.m_pData = tern::platform::AllocateImage(bytes.size());
    if (!bytes.empty()) {
        std::memcpy(smf.m_pData.get(), bytes.data(), bytes.size());
    }
    smf.m_dwSize = static_cast<uint32_t>(bytes.size());
}

// A reader whose track 0 holds exactly `events` (positions start at 8).
inline void SetSingleTrack(CSMF& smf, const samples::Bytes& events) {
    SetImage(smf, samples::MakeSmf(0, 480, {events}));
    smf.ParseChunks();
}

}  // namespace tern::test
