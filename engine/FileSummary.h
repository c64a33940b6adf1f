// What a loaded update file holds, as tern-flash shows it: its size and SHA-256, header and
// track table, and the dry run of its installation with the verdict drawn from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/DryRun.h"
#include "engine/SMF.h"
#include "platform/Sha256.h"

namespace tern {

struct TrackEntry {
    uint32_t offset = 0;  // of the chunk's "MTrk" tag in the file
    uint32_t length = 0;  // chunk header and data
};

struct FileSummary {
    std::string path;
    uint32_t size = 0;
    std::optional<platform::Sha256Digest> sha256;  // of the loaded image; none if not computed
    uint16_t format = 0;
    uint16_t tracks = 0;                 // as the header says
    uint16_t division = 0;               // ticks per quarter note
    std::vector<TrackEntry> trackTable;  // the tracks the reader keeps, at most kMaxTracks
};

struct InspectedFile {
    FileSummary summary;
    DryRunReport dryRun;
};

// For a player whose LoadFile(path) succeeded: its summary and its dry run at the
// installation's tempo. The SHA-256 is taken on a second thread while the dry run walks the
// image on this one, so the whole costs about what the hash alone does.
InspectedFile InspectFile(CVexDataPlay& player, const std::string& path);

}  // namespace tern
