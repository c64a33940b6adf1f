#include "cli/InstallCommand.h"

#include <new>
#include <optional>
#include <span>
#include <thread>
#include <utility>

#include "cli/DeviceLinkIdentity.h"
#include "cli/DeviceLinkSession.h"
#include "cli/ExitStatus.h"
#include "cli/LoadFailure.h"
#include "cli/OutOfMemory.h"
#include "cli/ProgressSlot.h"
#include "cli/ScopedFirmwarePort.h"
#include "cli/TerminalDiscoveryView.h"
#include "devlink/DiscoveryWorker.h"
#include "devlink/Handles.h"
#include "engine/Checksum.h"
#include "engine/ScheduleKept.h"
#include "engine/ScheduleRecordingPort.h"
#include "engine/VexDataPlay.h"
#include "platform/InterruptWatcher.h"
#include "platform/TickCount.h"
#include "platform/WorkerThread.h"
#include "session/InstallSession.h"
#include "session/MemoryReserve.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

constexpr char kAfterReboot[] =
    "The Ostrel restarts by itself; keep it connected and powered until it has finished.";

// How often the bar or the lines catch up with the play: smooth enough to watch, and little
// work for a thread that otherwise only waits.
constexpr uint32_t kProgressPollMs = 20;

// Says why the run ends here and ends it with `status`.
InstallReport Failed(InstallReport report, Console& console, int status, std::string message) {
    console.Err(message);
    report.result.Fail(status, std::move(message));
    return report;
}

InstallReport Interrupted(InstallReport report, Console& console, int signal) {
    return Failed(std::move(report), console, kExitSignalBase + signal,
                  "Interrupted before the transfer began: nothing was written to the device.");
}

void Warn(InstallReport& report, Console& console, std::string text) {
    console.Err(text);
    report.warnings.push_back(std::move(text));
}

// Loads the file into the process's player and plays it dry; false when it did not load,
// and the report says why.
bool Load(InstallReport& report, Console& console, const std::string& path) {
    if (!g_DataPlay.LoadFile(path)) {
        report = Failed(std::move(report), console, kExitFile, LoadFailureText(g_DataPlay, path));
        return false;
    }
    InspectedFile inspected = InspectFile(g_DataPlay, path);
    report.file = std::move(inspected.summary);
    report.plan = std::move(inspected.dryRun);
    console.Out("File: " + path + " (" + std::to_string(report.file->size) + " bytes)");
    return true;
}

// Whether the dry run found the file fit to install; the report says why not.
bool Accepted(InstallReport& report, Console& console) {
    if (const PreflightVerdict& verdict = report.plan->verdict; !verdict.Accepted()) {
        report = Failed(std::move(report), console, kExitFile,
                        RefusalText(verdict) + " Nothing was written.");
        return false;
    }
    return true;
}

// Whether the loaded image is the published one; the report says why not.
bool MatchesChecksum(InstallReport& report, Console& console,
                     const platform::Sha256Digest& expected) {
    const std::string want = DigestText(expected);
    if (!report.file->sha256) {
        report = Failed(std::move(report), console, kExitFile,
                        "The file's SHA-256 could not be computed, so it cannot be checked "
                        "against " +
                            want + ". Nothing was written.");
        return false;
    }
    const std::string actual = DigestText(*report.file->sha256);
    if (*report.file->sha256 != expected) {
        report = Failed(std::move(report), console, kExitFile,
                        "SHA-256 mismatch: expected " + want + ", the file has " + actual +
                            ". Nothing was written.");
        return false;
    }
    console.Out("SHA-256: " + actual + " (as expected)");
    return true;
}

// Runs discovery to its end, or until an interrupt stops it. True when the port is open.
bool Discover(TerminalDiscoveryView& view, InterruptGate& interrupts) {
    CDiscoveryWorker worker(view);
    interrupts.SetStopAction([&worker] { worker.RequestStop(); });
    const bool started = worker.Start();
    worker.Wait();
    interrupts.ClearStopAction();
    return started && view.PortOpen();
}

// What the play thread measured of its play.
struct PlayTimes {
    uint32_t elapsedMs = 0;
    ScheduleKept kept;
};

// Draws what the play has done so far. A drawing that finds no memory is skipped: the next
// one catches up, and nothing may end this thread while the play runs.
void DrawQuietly(ProgressSlot& slot, TerminalProgress& progress, bool finish = false) {
    try {
        slot.ForwardTo(progress);
        if (finish) {
            progress.Finish();
        }
    } catch (const std::bad_alloc&) {
    }
}

// Plays the loaded file into the firmware port on its own thread and draws its progress on
// this one until the play has ended. The play thread only stores its progress into a slot,
// and the start of each write into memory reserved here, so a terminal that holds this
// thread's output back never holds back a write. Returns how long the play took, read on
// the play thread just before and after it, and how well it kept the schedule; none when the
// thread could not be started: then nothing was written. Whatever it needs once the play has
// begun is allocated before: std::bad_alloc leaves it only before the play thread starts.
std::optional<PlayTimes> Play(Console& console, const DryRunReport& plan,
                              TerminalProgress::Style style) {
    TerminalProgress progress(console, plan, style);
    ProgressSlot slot;
    // Written by the play thread outside the play, read here after the join.
    uint32_t startedMs = 0;
    uint32_t endedMs = 0;
    // The device's port behind the recorder for the play; without a port (which discovery
    // rules out) the player fails as it would.
    std::optional<ScheduleRecordingPort> recorder;
    std::optional<ScopedFirmwarePort> recording;
    if (ICorvoPort* const devicePort = g_pFirmwarePort) {
        recorder.emplace(*devicePort, plan.writes, g_DataPlay.m_Moves);
        recording.emplace(*recorder);
    }
    MemoryReserve reserve;
    if (!reserve.Take()) {
        throw std::bad_alloc();
    }
    std::thread thread;
    if (!platform::StartWorkerThread(thread, platform::ThreadPriority::Highest,
                                     [&slot, &startedMs, &endedMs] {
                                         startedMs = platform::GetTickCount();
                                         g_DataPlay.Play(slot, kInstallTempo);
                                         endedMs = platform::GetTickCount();
                                         slot.MarkPlayEnded();
                                     })) {
        return std::nullopt;
    }
    while (!slot.PlayEnded()) {
        DrawQuietly(slot, progress);
        platform::Sleep(kProgressPollMs);
    }
    thread.join();
    reserve.Release();  // room for the outcome, whatever the play met meanwhile
    recording.reset();
    DrawQuietly(slot, progress, true);  // the final position, which no poll may have seen yet
    const uint32_t elapsedMs = endedMs - startedMs;  // unsigned: right across the counter's wrap
    PlayTimes times{
        elapsedMs,
        recorder
            ? MeasureScheduleKept(recorder->StartsUs(), plan.writeTimesMs, recorder->MovedMs(),
                                  recorder->Room(), elapsedMs, plan.durationMs, plan.durationExact)
            : MeasureScheduleKept({}, {}, {}, {}, elapsedMs, plan.durationMs, plan.durationExact)};
    times.kept.moves = g_DataPlay.m_Moves;
    return times;
}

}  // namespace

InstallReport RunInstall(const std::string& path, Console& console, InterruptGate& interrupts,
                         TerminalProgress::Style progressStyle,
                         const std::optional<platform::Sha256Digest>& expectedSha256) {
    InstallReport report;
    report.path = path;
    // A file that is not the published one, or whose transfer is known to go wrong, is
    // refused before anything else is touched: the lock, the bus and the device.
    if (!Load(report, console, path) ||
        (expectedSha256 && !MatchesChecksum(report, console, *expectedSha256)) ||
        !Accepted(report, console)) {
        return report;
    }
    if (const int signal = interrupts.InterruptedBy()) {
        return Interrupted(std::move(report), console, signal);
    }
    // The processor-time limit, the lock, and the inhibitors that keep the machine up, before
    // the bus is looked at; given back when the run ends, however it ends.
    InstallSession installSession;
    const InstallSession::Begun begun = installSession.Begin(report.plan->durationMs);
    report.cpuTime = begun.cpu;
    if (!begun.ok) {
        return Failed(std::move(report), console,
                      begun.cpu.Covered() ? kExitDeviceLink : kExitResources,
                      InstallSession::LongRefusal(begun));
    }
    for (const std::string& notice : begun.notices) {
        Warn(report, console, notice);
    }
    DeviceLinkSession session;
    TerminalDiscoveryView view(console);
    const bool found = Discover(view, interrupts);
    report.discovery = view.Record();
    if (const int signal = interrupts.InterruptedBy()) {
        return Interrupted(std::move(report), console, signal);
    }
    if (platform::ComponentIdentity link = DeviceLinkIdentity(); !link.library.empty()) {
        if (link.simulation) {
            console.Out(DeviceLinkLine(link));
        }
        report.deviceLink = std::move(link);
    }
    if (!found) {
        // The view has shown the system's message.
        report.result.Fail(kExitDeviceLink, report.discovery->failure);
        return report;
    }

    const DryRunReport& plan = *report.plan;

    if (!interrupts.BeginPlay()) {
        return Interrupted(std::move(report), console, interrupts.InterruptedBy());
    }
    console.Out(kTextInstalling);
    std::optional<PlayTimes> played;
    bool memory = true;
    try {
        played = Play(console, plan, progressStyle);
    } catch (const std::bad_alloc&) {
        memory = false;  // before the play thread started
    }
    if (played) {
        NoteTransferEnded(g_DataPlay.m_nError == 0);
    }
    installSession.End();
    interrupts.EndPlay();
    if (!memory) {
        return Failed(std::move(report), console, kExitResources,
                      std::string(MessageText(kMsgNoMemory)) +
                          " The transfer was not started; nothing was written.");
    }
    if (!played) {
        return Failed(std::move(report), console, kExitResources,
                      "The transfer thread could not be started (the system has no room for "
                      "another thread); nothing was written.");
    }
    const bool succeeded = g_DataPlay.m_nError == 0;
    report.transfer = TransferRecord{succeeded ? kStatusRebooting : MakeFailure(kMsgCommunication),
                                     succeeded ? kTextRebooting : MessageText(kMsgCommunication),
                                     {plan.durationMs, plan.durationExact, played->elapsedMs},
                                     played->kept};
    // After the outcome, which stays right below the progress, as the window shows it.
    if (!succeeded) {
        report = Failed(std::move(report), console, kExitTransfer, MessageText(kMsgCommunication));
    } else {
        console.Out(kTextRebooting);
        console.Out(kAfterReboot);
    }
    console.Out(ScheduleKeptLine(played->kept));
    // Now that the transfer is over and its outcome shown, what the session asked for.
    interrupts.ActOnHeldStop();
    if (const int held = interrupts.Held()) {
        report = Failed(std::move(report), console, kExitSignalBase + held,
                        platform::SignalText(held) +
                            " came during the transfer and was held until it had ended; the "
                            "program ends now.");
    }
    return report;
}

}  // namespace tern::cli
