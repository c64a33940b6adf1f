#include "engine/SMF.h"

#include <cstring>
#include <limits>

#include "platform/ImageMemory.h"
#include "platform/ReadOnlyFile.h"
#include "status/ReaderError.h"

using tern::platform::FileOpenResult;
using tern::platform::ReadOnlyFile;

namespace {

constexpr uint8_t kHeaderStart[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};

uint16_t BigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

CSMF::CSMF() {
    ParseChunks();
}

CSMF::~CSMF() = default;

void CSMF::ReleaseImage() {
    m_pData.reset();
    // The table and size describe the image; left behind they would point into nothing.
    m_dwSize = 0;
    m_wTracks = 0;
    m_Track.fill(SMFTRACK{0, 0});
}

bool CSMF::ChunkFault(SMFFAULT::Kind kind, int track, uint32_t offset) {
    m_nError = tern::kReaderMalformed;
    m_fault = SMFFAULT{kind, track, offset};
    return false;
}

bool CSMF::LoadFile(const std::string& path) {
    ReleaseImage();
    m_fault = SMFFAULT{};

    ReadOnlyFile file;
    const FileOpenResult opened = file.Open(path);
    if (opened != FileOpenResult::Ok) {
        m_nError =
            opened == FileOpenResult::NotFound ? tern::kReaderNotFound : tern::kReaderCannotOpen;
        return false;
    }
    const auto length = file.Length();
    if (!length) {
        m_nError = tern::kReaderCannotOpen;
        return false;
    }
    // Offsets in the image are 32-bit: a file of 4 GiB or more cannot be a firmware file,
    // and cutting its length to 32 bits would parse some prefix of it as if it were whole.
    if (*length == 0 || *length > std::numeric_limits<uint32_t>::max()) {
        m_nError = tern::kReaderFormat;
        m_fault.kind = *length == 0 ? SMFFAULT::kEmpty : SMFFAULT::kTooLarge;
        return false;
    }
    const auto size = static_cast<uint32_t>(*length);
    tern::platform::ImageMemory image = tern::platform::AllocateImage(size);
    if (!image) {
        m_nError = tern::kReaderNoMemory;
        return false;
    }
    // A failed or short read leaves no image: half a firmware file must never be taken
    // for a whole one.
    const auto got = file.Read(image.get(), size);
    if (!got || *got != size) {
        m_nError = tern::kReaderCannotOpen;
        return false;
    }
    m_pData = std::move(image);
    m_dwSize = size;
    if (!ParseChunks()) {
        m_nError = tern::kReaderFormat;
        return false;
    }
    m_nError = tern::kReaderOk;
    return true;
}

bool CSMF::ParseChunks() {
    m_wTracks = 0;
    m_Track.fill(SMFTRACK{0, 0});
    m_fault = SMFFAULT{};
    if (!m_pData) {
        m_nError = tern::kReaderOk;
        return true;
    }
    m_nError = tern::kReaderInProgress;
    uint32_t pos = CheckHeader();
    if (pos == 0) {
        return false;
    }
    for (int i = 0; i < m_wTracks; ++i) {
        const uint32_t start = pos;
        // Read the chunk header through an entry that spans the whole image.
        m_Track[i] = SMFTRACK{0, m_dwSize};
        const uint32_t tag = ReadDword(pos, i);
        if (m_nError == tern::kReaderMalformed) {
            return ChunkFault(SMFFAULT::kChunkMissing, i, start);
        }
        if (tag != kTrackTag) {
            return ChunkFault(SMFFAULT::kChunkTag, i, start);
        }
        const uint32_t length = ReadDword(pos, i);
        if (m_nError == tern::kReaderMalformed) {
            return ChunkFault(SMFFAULT::kChunkMissing, i, start);
        }
        const uint64_t end = uint64_t{pos} + length;  // no 32-bit wrap for huge lengths
        if (end > m_dwSize) {
            return ChunkFault(SMFFAULT::kChunkLength, i, start);
        }
        m_Track[i] = SMFTRACK{start, static_cast<uint32_t>(end - start)};
        pos = static_cast<uint32_t>(end);
    }
    m_nError = tern::kReaderOk;
    return true;
}

uint32_t CSMF::CheckHeader() {
    if (!m_pData || m_dwSize < kHeaderSize ||
        std::memcmp(m_pData.get(), kHeaderStart, sizeof kHeaderStart) != 0) {
        m_nError = tern::kReaderMalformed;
        m_fault.kind = SMFFAULT::kNoHeader;
        return 0;
    }
    m_wFormat = BigEndian16(m_pData.get() + 8);
    m_wTracks = BigEndian16(m_pData.get() + 10);
    m_wDivision = BigEndian16(m_pData.get() + 12);
    if (m_wFormat > 2) {
        m_nError = tern::kReaderFormat;
        m_fault.kind = SMFFAULT::kFormat;
        return 0;
    }
    if (m_wTracks == 0 || m_wTracks > kMaxTracks) {
        m_nError = tern::kReaderMalformed;
        m_fault.kind = SMFFAULT::kTrackCount;
        return 0;
    }
    return kHeaderSize;
}

uint32_t CSMF::TrackLength(int track) const {
    return track >= 0 && track < kMaxTracks ? m_Track[track].dwLength : 0;
}

const uint8_t* CSMF::TrackBytes(uint32_t pos, int track, uint32_t count) const {
    if (!m_pData || track < 0 || track >= kMaxTracks) {
        return nullptr;
    }
    const SMFTRACK& entry = m_Track[track];
    const uint64_t end = uint64_t{pos} + count;
    if (end > entry.dwLength || entry.dwOffset + end > m_dwSize) {
        return nullptr;
    }
    return m_pData.get() + entry.dwOffset + pos;
}

uint8_t CSMF::ReadByte(uint32_t& pos, int track) {
    const uint8_t* p = TrackBytes(pos, track, 1);
    if (!p) {
        m_nError = tern::kReaderMalformed;
        return 0;
    }
    ++pos;
    return *p;
}

uint32_t CSMF::ReadDword(uint32_t& pos, int track) {
    const uint8_t* p = TrackBytes(pos, track, 4);
    if (!p) {
        m_nError = tern::kReaderMalformed;
        return 0;
    }
    pos += 4;
    return BigEndian32(p);
}

uint32_t CSMF::ReadVarLen(uint32_t& pos, int track) {
    uint32_t value = 0;
    for (;;) {
        // Ends at the latest at the end of the track: pos only grows and is checked.
        const uint8_t* p = TrackBytes(pos, track, 1);
        if (!p) {
            m_nError = tern::kReaderMalformed;
            return 0;
        }
        ++pos;
        value = (value << 7) | (*p & 0x7Fu);  // groups beyond 32 bits fall off the top
        if ((*p & 0x80u) == 0) {
            return value;
        }
    }
}

uint32_t CSMF::GetEventLength(uint8_t status, uint32_t pos, int track) {
    const uint8_t kind = status < 0xF0 ? static_cast<uint8_t>(status & 0xF0) : status;
    uint64_t end = 0;
    switch (kind) {
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
        case 0xE0:
            end = uint64_t{pos} + 2;
            break;
        case 0xC0:
        case 0xD0:
            end = uint64_t{pos} + 1;
            break;
        case 0xF0:
        case 0xF7: {
            uint32_t at = pos;
            const uint32_t length = ReadVarLen(at, track);
            end = uint64_t{at} + length;
            break;
        }
        case 0xFF: {
            // The byte at pos is the meta type; its length follows. A cut-off length
            // still yields where the read stopped, and the end test below applies.
            if (pos >= TrackLength(track)) {
                m_nError = tern::kReaderMalformed;
                return 0;
            }
            uint32_t at = pos + 1;
            const uint32_t length = ReadVarLen(at, track);
            end = uint64_t{at} + length;
            break;
        }
        default:
            m_nError = tern::kReaderMalformed;
            return 0;
    }
    if (end > TrackLength(track)) {
        m_nError = tern::kReaderMalformed;
        return 0;
    }
    return static_cast<uint32_t>(end - pos);
}
