// The installation run behind Start: the command on the window's thread and the worker that
// plays the firmware into the port.
#include "engine/StatusCodes.h"
#include "engine/VexDataPlay.h"
#include "platform/InstallLock.h"
#include "platform/SleepInhibitor.h"
#include "platform/WorkerThread.h"
#include "ui/ProgressBarSink.h"
#include "ui/TernUpdateDlg.h"

namespace {

// What the status line says when the install lock refuses the run; nothing is written then.
std::string LockRefusalText(const tern::platform::InstallLock::Result& lock) {
    using Outcome = tern::platform::InstallLock::Outcome;
    if (lock.outcome == Outcome::HeldByOther && lock.otherUser) {
        return "User " + lock.user + " is installing; nothing was written.";
    }
    if (lock.outcome == Outcome::HeldByOther) {
        return "Another installation is running; nothing was written.";
    }
    return "The install lock cannot be taken; nothing was written.";
}

}  // namespace

void CTernUpdateDlg::OnStart() {
    if (m_nStatus != tern::kStatusOk) {
        CloseWhenSafe(tern::platform::IDCANCEL);
        return;
    }
    // Reached by Enter on Start even while it is disabled, and a second click can come
    // before the worker disables it: a run starts only from Ready, and only one.
    if (m_nBusy == 1 || !m_Start.IsWindowEnabled() || m_InstallWorker.joinable()) {
        return;
    }
    m_nBusy = 1;
    m_Param.pDlg = this;
    m_Param.pPlay = &g_DataPlay;
    // If no thread can be started nothing is reported and the busy flag stays set.
    tern::platform::StartWorkerThread(m_InstallWorker, tern::platform::ThreadPriority::Highest,
                                      [param = &m_Param] { InstallThread(param); });
}

uint32_t InstallThread(THREADPARAM* param) {
    CTernUpdateDlg* const pDlg = param->pDlg;
    CVexDataPlay* const pPlay = param->pPlay;

    pDlg->m_Browse.EnableWindow(false);
    pDlg->m_Start.EnableWindow(false);
    pDlg->m_Status.SetWindowText(tern::kTextInstalling);

    // One writer per device: while another program installs, this run writes nothing and
    // ends as a failure that says why.
    bool transferred = false;
    tern::platform::InstallLock lock;
    const tern::platform::InstallLock::Result locked = lock.TryAcquire();
    if (locked.Taken()) {
        // A machine that suspends mid-transfer leaves the device half-programmed. Without a
        // login manager to ask, the run goes on all the same.
        tern::platform::SleepInhibitor sleep;
        sleep.Take(tern::platform::kSleepInhibitorWho, tern::platform::kSleepInhibitorWhy);
        CProgressBarSink progress(pDlg->m_Progress);
        pPlay->Play(progress, static_cast<uint32_t>(pDlg->m_nTempo));
        sleep.Release();
        transferred = pPlay->m_nError == 0;
        lock.Release();
    }

    if (!locked.Taken()) {
        pDlg->m_nStatus = tern::MakeFailure(tern::kMsgCommunication);
        pDlg->m_Status.SetWindowText(LockRefusalText(locked));
    } else if (!transferred) {
        pDlg->m_nStatus = tern::MakeFailure(tern::kMsgCommunication);
        pDlg->m_Status.SetWindowText(tern::MessageText(tern::kMsgCommunication));
    } else {
        pDlg->m_Status.SetWindowText(tern::kTextRebooting);
        pDlg->m_nStatus = tern::kStatusRebooting;
    }
    pDlg->MessageBeep(0);
    pDlg->m_Browse.EnableWindow(false);
    // The last act: whoever sees the flag drop sees the final status as well.
    pDlg->m_nBusy = 0;
    return 0;
}
