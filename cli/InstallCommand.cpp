#include "cli/InstallCommand.h"

#include <thread>

#include "cli/DeviceLinkIdentity.h"
#include "cli/DeviceLinkSession.h"
#include "cli/DryRun.h"
#include "cli/ExitStatus.h"
#include "cli/LoadFailure.h"
#include "cli/ProgressSlot.h"
#include "cli/TerminalDiscoveryView.h"
#include "devlink/DiscoveryWorker.h"
#include "engine/StatusCodes.h"
#include "engine/VexDataPlay.h"
#include "platform/InstallLock.h"
#include "platform/SleepInhibitor.h"
#include "platform/TickCount.h"
#include "platform/WorkerThread.h"

namespace tern::cli {
namespace {

// Why the install lock refused this run, in one line; nothing has been touched then.
std::string LockRefusal(const platform::InstallLock::Result& lock) {
    if (lock.outcome == platform::InstallLock::Outcome::Unavailable) {
        return "The install lock cannot be taken: " + lock.reason + ". Nothing was written.";
    }
    const std::string who = lock.Holder().empty() ? "" : " (" + lock.Holder() + ")";
    return std::string(lock.otherUser ? "Another user's installation" : "Another installation") +
           " is running on this machine" + who + ". Wait until it has ended, then try again.";
}
constexpr char kAfterReboot[] =
    "The Ostrel restarts by itself; keep it connected and powered until it has finished.";

// How often the bar or the lines catch up with the play: smooth enough to watch, and little
// work for a thread that otherwise only waits.
constexpr uint32_t kProgressPollMs = 20;

int Interrupted(Console& console, int signal) {
    console.Err("Interrupted before the transfer began: nothing was written to the device.");
    return kExitSignalBase + signal;
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

// Plays the loaded file into the firmware port on its own thread and draws its progress on
// this one until the play has ended. The play thread only stores its progress into a slot,
// so a terminal that holds this thread's output back never holds back a write.
// False when the thread could not be started: then nothing was written.
bool Play(Console& console, const DryRunReport& plan, TerminalProgress::Style style) {
    TerminalProgress progress(console, plan, style);
    ProgressSlot slot;
    std::thread thread;
    if (!platform::StartWorkerThread(thread, platform::ThreadPriority::Highest, [&slot] {
            g_DataPlay.Play(slot, kInstallTempo);
            slot.MarkPlayEnded();
        })) {
        return false;
    }
    while (!slot.PlayEnded()) {
        slot.ForwardTo(progress);
        platform::Sleep(kProgressPollMs);
    }
    thread.join();
    slot.ForwardTo(progress);  // the final position, which no poll may have seen yet
    progress.Finish();
    return true;
}

}  // namespace

int RunInstall(const std::string& path, Console& console, InterruptGate& interrupts,
               TerminalProgress::Style progressStyle) {
    platform::InstallLock lock;
    if (const platform::InstallLock::Result locked = lock.TryAcquire(); !locked.Taken()) {
        console.Err(LockRefusal(locked));
        return kExitDeviceLink;
    }
    DeviceLinkSession session;
    TerminalDiscoveryView view(console);
    const bool found = Discover(view, interrupts);
    if (const int signal = interrupts.InterruptedBy()) {
        return Interrupted(console, signal);
    }
    if (const auto simulated = SimulatedBusLine()) {
        console.Out(*simulated);
    }
    if (!found) {
        return kExitDeviceLink;  // the view has shown the system's message
    }

    if (!g_DataPlay.LoadFile(path)) {
        console.Err(LoadFailureText(g_DataPlay, path));
        return kExitFile;
    }
    console.Out("File: " + path + " (" + std::to_string(g_DataPlay.m_dwSize) + " bytes)");
    const DryRunReport plan = RunDryRun(g_DataPlay);
    if (!plan.Succeeds() && plan.failure) {
        // The window installs such a file all the same; a terminal user at least hears why
        // it is going to fail.
        console.Err("Warning: this transfer is predicted to fail: " + Describe(*plan.failure));
    }

    // A machine that suspends mid-transfer leaves the device half-programmed. Taken here,
    // before the play, because asking the system may take a moment; without a login manager
    // the installation goes on, and says so.
    platform::SleepInhibitor sleep;
    if (const auto inhibited =
            sleep.Take(platform::kSleepInhibitorWho, platform::kSleepInhibitorWhy);
        !inhibited.held) {
        console.Err("Sleep could not be inhibited (" + inhibited.reason +
                    "): keep the machine awake until the transfer has ended.");
    }
    if (!interrupts.BeginPlay()) {
        return Interrupted(console, interrupts.InterruptedBy());
    }
    console.Out(kTextInstalling);
    const bool played = Play(console, plan, progressStyle);
    sleep.Release();
    interrupts.EndPlay();
    if (!played) {
        console.Err("The transfer thread could not be started; nothing was written.");
        return kExitTransfer;
    }
    if (g_DataPlay.m_nError != 0) {
        console.Err(MessageText(kMsgCommunication));
        return kExitTransfer;
    }
    console.Out(kTextRebooting);
    console.Out(kAfterReboot);
    return kExitSuccess;
}

}  // namespace tern::cli
