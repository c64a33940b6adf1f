#include "cli/LoadFailure.h"

#include "platform/ReadOnlyFile.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

// The window only clears its status line when a file cannot be opened; a terminal user
// gets the reason instead, found by trying the open again.
std::string OpenFailureReason(const std::string& path) {
    platform::ReadOnlyFile probe;
    const auto result = probe.Open(path);
    if (result == platform::FileOpenResult::Ok) {
        // Opens now: the read failed, or another opener held the file at that moment.
        return "The file could not be read, or another program held it at that moment.";
    }
    return std::string("The file could not be opened: ") + platform::Describe(result) + ".";
}

// What the reader found wrong with the file's layout, as a sentence; empty when it found
// nothing of that kind (the failure was not the layout's).
std::string FaultReason(const CSMF& reader) {
    const SMFFAULT& fault = reader.m_fault;
    const std::string chunk = "Track chunk " + std::to_string(fault.track + 1) + " (at offset " +
                              std::to_string(fault.offset) + ")";
    switch (fault.kind) {
        case SMFFAULT::kNone:
            break;
        case SMFFAULT::kEmpty:
            return "The file is empty.";
        case SMFFAULT::kTooLarge:
            return "The file is 4 GiB or larger.";
        case SMFFAULT::kNoHeader:
            return "The file does not start with a MIDI file header (\"MThd\", length 6).";
        case SMFFAULT::kFormat:
            return "The header's format is " + std::to_string(reader.m_wFormat) +
                   "; an update file's is 0, 1 or 2.";
        case SMFFAULT::kTrackCount:
            return "The header names " + std::to_string(reader.m_wTracks) +
                   " track chunks; an update file has 1 to " + std::to_string(CSMF::kMaxTracks) +
                   ".";
        case SMFFAULT::kChunkMissing:
            return chunk + " is cut off by the end of the file.";
        case SMFFAULT::kChunkTag:
            return chunk + " does not start with \"MTrk\".";
        case SMFFAULT::kChunkLength:
            return chunk + " runs past the end of the file.";
    }
    return {};
}

}  // namespace

std::string LoadFailureText(const CSMF& reader, const std::string& path) {
    const std::string text = MessageText(MessageOf(StatusFromReaderError(reader.m_nError)));
    if (text.empty()) {
        return OpenFailureReason(path);
    }
    const std::string reason = FaultReason(reader);
    return reason.empty() ? text : text + " " + reason;
}

std::string RefusalText(const PreflightVerdict& verdict) {
    return std::string(MessageText(kMsgFileFormat)) + " The file is refused: " + verdict.reason +
           ".";
}

}  // namespace tern::cli
