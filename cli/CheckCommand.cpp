#include "cli/CheckCommand.h"

#include <iomanip>
#include <memory>
#include <utility>

#include "cli/JsonReport.h"
#include "cli/LoadFailure.h"
#include "engine/Checksum.h"
#include "engine/VexDataPlay.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

void PrintSummary(const FileSummary& file, std::ostream& out) {
    out << "File:     " << file.path << '\n'
        << "Size:     " << file.size << " bytes\n"
        << "SHA-256: " << (file.sha256 ? DigestText(*file.sha256) : "not available") << '\n'
        << "Format:   " << file.format << '\n'
        << "Tracks:   " << file.tracks << '\n'
        << "Division: " << file.division << " ticks per quarter note\n"
        << "\nTrack    Offset    Length\n";
    for (size_t i = 0; i < file.trackTable.size(); ++i) {
        out << std::setw(5) << i << std::setw(10) << file.trackTable[i].offset << std::setw(10)
            << file.trackTable[i].length << '\n';
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

void PrintVerdict(const PreflightVerdict& verdict, std::ostream& out) {
    out << "Verdict:      "
        << (verdict.Accepted() ? "this file would install" : "refused, nothing would be written")
        << '\n';
}

}  // namespace

CheckReport CheckFile(const std::string& path) {
    CheckReport report;
    report.path = path;
    // Its own player, not the process's: checking a file must not disturb one loaded to install.
    auto player = std::make_unique<CVexDataPlay>();
    if (!player->LoadFile(path)) {
        report.result.Fail(kExitFile, LoadFailureText(*player, path));
        return report;
    }
    InspectedFile inspected = InspectFile(*player, path);
    report.file = std::move(inspected.summary);
    report.dryRun = std::move(inspected.dryRun);
    if (const PreflightVerdict& verdict = report.dryRun->verdict; !verdict.Accepted()) {
        report.result.Fail(kExitFile, RefusalText(verdict));
    }
    return report;
}

int RunCheck(const std::string& path, std::ostream& out, std::ostream& err, OutputFormat format) {
    const CheckReport report = CheckFile(path);
    if (!report.result.Ok()) {
        err << report.result.error << '\n';
    }
    if (format == OutputFormat::Json) {
        out << CheckDocument(report) << std::flush;
    } else if (report.file) {
        PrintSummary(*report.file, out);
        PrintDryRun(*report.dryRun, out);
        PrintVerdict(report.dryRun->verdict, out);
    }
    return report.result.exitStatus;
}

}  // namespace tern::cli
