#include "cli/InstallCommand.h"

#include <thread>

#include "cli/DeviceLinkSession.h"
#include "cli/DryRun.h"
#include "cli/ExitStatus.h"
#include "cli/LoadFailure.h"
#include "cli/TerminalDiscoveryView.h"
#include "devlink/DiscoveryWorker.h"
#include "engine/StatusCodes.h"
#include "engine/VexDataPlay.h"
#include "platform/InstallLock.h"
#include "platform/SleepInhibitor.h"
#include "platform/WorkerThread.h"

namespace tern::cli {
namespace {

constexpr char kLockHeld[] =
    "Another installation is running on this machine. Wait until it has ended, then try "
    "again.";
constexpr char kAfterReboot[] =
    "The Ostrel restarts by itself; keep it connected and powered until it has finished.";

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

// Plays the loaded file into the firmware port on its own thread and waits for the end.
// False when the thread could not be started: then nothing was written.
bool Play(Console& console, const DryRunReport& plan, TerminalProgress::Style style) {
    TerminalProgress progress(console, plan, style);
    // On this thread, which outlives the transfer: the request belongs to the thread that
    // makes it. Best effort; the transfer goes ahead either way.
    platform::SleepInhibitor awake;
    awake.Acquire("tern-flash", "Installing firmware into the Ostrel");
    std::thread thread;
    if (!platform::StartWorkerThread(thread, platform::ThreadPriority::Highest,
                                     [&progress] { g_DataPlay.Play(progress, kInstallTempo); })) {
        return false;
    }
    thread.join();
    progress.Finish();
    return true;
}

}  // namespace

int RunInstall(const std::string& path, Console& console, InterruptGate& interrupts,
               TerminalProgress::Style progressStyle) {
    platform::InstallLock lock;
    if (!lock.TryAcquire()) {
        console.Err(kLockHeld);
        return kExitDeviceLink;
    }
    DeviceLinkSession session;
    TerminalDiscoveryView view(console);
    const bool found = Discover(view, interrupts);
    if (const int signal = interrupts.InterruptedBy()) {
        return Interrupted(console, signal);
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

    if (!interrupts.BeginPlay()) {
        return Interrupted(console, interrupts.InterruptedBy());
    }
    console.Out(kTextInstalling);
    const bool played = Play(console, plan, progressStyle);
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
