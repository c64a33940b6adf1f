#include "cli/CheckCommand.h"

#include <iomanip>
#include <memory>

#include "cli/DryRun.h"
#include "cli/ExitStatus.h"
#include "cli/LoadFailure.h"
#include "engine/StatusCodes.h"
#include "engine/VexDataPlay.h"

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

void PrintDryRun(const DryRunReport& run, std::ostream& out) {
    out << "\nDry run of the installation (tempo " << kInstallTempo
        << " us per quarter note, no device):\n"
        << "SysEx events: " << run.sysexEvents << '\n'
        << "Data bytes:   " << run.dataBytes << " (" << run.portBytes
        << " with the 0xF0 of each event)\n"
        << "Port writes:  " << run.writes << '\n'
        << "Duration:     " << (run.durationExact ? "" : "about ") << run.durationMs << " ms\n";
    if (run.Succeeds()) {
        out << "Outcome:      " << kTextRebooting << '\n';
        return;
    }
    out << "Outcome:      " << MessageText(kMsgCommunication) << '\n';
    if (run.failure) {
        out << "Reason:       " << Describe(*run.failure) << '\n';
    }
}

}  // namespace

int RunCheck(const std::string& path, std::ostream& out, std::ostream& err) {
    // Its own player, not the process's: checking a file must not disturb one loaded to install.
    auto player = std::make_unique<CVexDataPlay>();
    if (!player->LoadFile(path)) {
        err << LoadFailureText(*player, path) << '\n';
        return kExitFile;
    }
    PrintSummary(*player, path, out);
    const DryRunReport run = RunDryRun(*player);
    PrintDryRun(run, out);
    return run.Succeeds() ? kExitSuccess : kExitTransfer;
}

}  // namespace tern::cli
