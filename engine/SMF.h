// CSMF: reads a Standard MIDI File update image whole, validates its header and track
// chunks, and offers bounds-checked readers over one track. Every failure ends up in
// m_nError (see status/ReaderError.h); nothing here throws.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ImageMemory.h"

// One entry of the track table. A position inside a track counts from dwOffset (the "MTrk"
// tag), so the first event starts at 8 and a position is valid while below dwLength.
struct SMFTRACK {
    uint32_t dwOffset;  // offset of the chunk's first byte in the file image
    uint32_t dwLength;  // 8-byte chunk header + declared data length
};

// What the last failed load found wrong with the file's header or chunks, beyond the error
// value: so that a front end with room for a reason can give it. `track` counts from 0.
struct SMFFAULT {
    enum Kind {
        kNone,          // the last load or parse did not fail on the file's layout
        kEmpty,         // the file has no bytes
        kTooLarge,      // 4 GiB or more
        kNoHeader,      // no "MThd" header of length 6 at the start
        kFormat,        // a header format above 2
        kTrackCount,    // the header names no track chunk, or more than the table holds
        kChunkMissing,  // the file ends before track chunk `track` or inside its header
        kChunkTag,      // another tag where track chunk `track` should start
        kChunkLength,   // track chunk `track` runs past the end of the file
    };
    Kind kind = kNone;
    int track = 0;
    uint32_t offset = 0;  // where that chunk starts in the file
};

class CSMF {
public:
    static constexpr int kMaxTracks = 16;
    static constexpr uint32_t kHeaderSize = 14;         // also the offset of the first track chunk
    static constexpr uint32_t kChunkHeaderSize = 8;     // tag and length
    static constexpr uint32_t kTrackTag = 0x4D54726Bu;  // "MTrk"

    CSMF();
    virtual ~CSMF();
    CSMF(const CSMF&) = delete;
    CSMF& operator=(const CSMF&) = delete;

    // Drops any image held, then reads `path` whole and parses it. True on success; on
    // failure m_nError is 1, 2, 3 or 7 and the track table must not be used.
    bool LoadFile(const std::string& path);

    // Builds the track table from the image; with no image it only clears the table.
    bool ParseChunks();

    // 14 (the first track chunk's offset) when the header is valid, 0 otherwise.
    uint32_t CheckHeader();

    // Track readers: each checks the access against the track and the image, advances
    // `pos` past what was read, and on failure sets m_nError to 6 and returns 0.
    uint8_t ReadByte(uint32_t& pos, int track);
    uint32_t ReadDword(uint32_t& pos, int track);
    uint32_t ReadVarLen(uint32_t& pos, int track);

    // Bytes from `pos` (just past the status byte, or the first data byte under running
    // status) to the end of the event, or 0 with m_nError 6 when the status is not
    // accepted or the event does not fit in the track.
    uint32_t GetEventLength(uint8_t status, uint32_t pos, int track);

    int32_t m_nError = 0;
    tern::platform::ImageMemory m_pData;  // the whole file image, or null
    uint32_t m_dwSize = 0;
    uint16_t m_wFormat = 0;
    uint16_t m_wTracks = 0;
    uint16_t m_wDivision = 0;  // ticks per quarter note, whatever its top bit says
    std::array<SMFTRACK, kMaxTracks> m_Track{};
    SMFFAULT m_fault;  // set with m_nError 7 by a failed load; cleared by the next parse or load

private:
    // The one checked access every byte read goes through: the address of `count` bytes
    // at `pos` of `track`, or nullptr when any of them lies outside the track or image.
    const uint8_t* TrackBytes(uint32_t pos, int track, uint32_t count) const;
    uint32_t TrackLength(int track) const;
    void ReleaseImage();
    bool ChunkFault(SMFFAULT::Kind kind, int track, uint32_t offset);
};
