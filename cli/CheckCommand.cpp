#include "cli/CheckCommand.h"

#include <iomanip>

#include "cli/ExitStatus.h"
#include "engine/SMF.h"
#include "engine/StatusCodes.h"
#include "platform/ReadOnlyFile.h"

namespace tern::cli {
namespace {

void PrintSummary(const CSMF& smf, const std::string& path, std::ostream& out) {
    out << "File:     " << path << '\n'
        << "Size:     " << smf.m_dwSize << " bytes\n"
        << "Format:   " << smf.m_wFormat << '\n'
        << "Tracks:   " << smf.m_wTracks << '\n'
        << "Division: " << smf.m_wDivision << " ticks per quarter note\n"
        << "\nTrack    Offset    Length\n";
    for (int i = 0; i < smf.m_wTracks && i < CSMF::kMaxTracks; ++i) {
        out << std::setw(5) << i << std::setw(10) << smf.m_Track[i].dwOffset << std::setw(10)
            << smf.m_Track[i].dwLength << '\n';
    }
}

// The dialog only clears its status line when a file cannot be opened; a terminal user
// gets the reason instead, found by trying the open again.
std::string OpenFailureReason(const std::string& path) {
    platform::ReadOnlyFile probe;
    const auto result = probe.Open(path);
    if (result == platform::FileOpenResult::Ok) {
        return "The file could not be read.";
    }
    return std::string("The file could not be opened: ") + platform::Describe(result) + ".";
}

}  // namespace

int RunCheck(const std::string& path, std::ostream& out, std::ostream& err) {
    CSMF smf;
    if (!smf.LoadFile(path)) {
        const int32_t message = MessageOf(StatusFromReaderError(smf.m_nError));
        const std::string text = MessageText(message);
        err << (text.empty() ? OpenFailureReason(path) : text) << '\n';
        return kExitFile;
    }
    PrintSummary(smf, path, out);
    return kExitSuccess;
}

}  // namespace tern::cli
