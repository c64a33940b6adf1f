// The installation run behind Start: the command on the window's thread and the worker that
// plays the firmware into the port.
#include <cstdio>
#include <new>
#include <thread>

#include "engine/VexDataPlay.h"
#include "platform/SleepInhibitor.h"
#include "platform/WorkerThread.h"
#include "session/InstallSession.h"
#include "session/MemoryReserve.h"
#include "status/StatusCodes.h"
#include "ui/ProgressBarSink.h"
#include "ui/TernUpdateDlg.h"

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
    if (m_nSessionEnding == 1) {
        m_nBusy = 0;  // the program is ending: no transfer may begin now
        return;
    }
    m_Param.pDlg = this;
    m_Param.pPlay = &g_DataPlay;
    // Should the display go, the run ends before anything made so far is taken down.
    WatchDisplayLoss();
    // If no thread can be started nothing is reported and the busy flag stays set.
    tern::platform::StartWorkerThread(m_InstallWorker, tern::platform::ThreadPriority::Highest,
                                      [param = &m_Param] { InstallThread(param); });
    m_bRunStarted = m_InstallWorker.joinable();
}

bool CTernUpdateDlg::RefuseSessionEnd() {
    m_nSessionEnding = 1;
    if (m_nBusy == 1) {
        m_nSessionEnding = 0;
        return true;
    }
    return false;
}

void CTernUpdateDlg::AllowRunsAgain() {
    m_nSessionEnding = 0;
}

bool CTernUpdateDlg::OnQueryEndSession() {
    return !RefuseSessionEnd();
}

void CTernUpdateDlg::OnEndSession(bool ending) {
    if (!ending) {
        AllowRunsAgain();  // another program kept the session: this one goes on as before
    }
}

int CTernUpdateDlg::OnDisplayLost() {
    // Nobody sees the window any more: the outcome goes where the person who started the
    // program can still read it. The worker's updates to the window are dropped now, so it
    // runs to its end without this thread.
    if (!m_bRunStarted) {
        std::fprintf(stderr, "tern-update: the window is gone; no firmware was written.\n");
        return kExitNoRun;
    }
    if (m_InstallWorker.joinable() && m_InstallWorker.get_id() != std::this_thread::get_id()) {
        m_InstallWorker.join();
    }
    std::fprintf(stderr, "tern-update: the window is gone; the installation ran to its end: %s\n",
                 m_strOutcome.c_str());
    return m_nStatus == tern::kStatusRebooting ? kExitInstalled : kExitNotInstalled;
}

uint32_t InstallThread(THREADPARAM* param) {
    CTernUpdateDlg* const pDlg = param->pDlg;
    CVexDataPlay* const pPlay = param->pPlay;

    pDlg->m_Browse.EnableWindow(false);
    pDlg->m_Start.EnableWindow(false);
    pDlg->m_Status.SetWindowText(tern::kTextInstalling);
    // What a person trying to log out or shut down is shown meanwhile (Windows).
    pDlg->SetShutdownBlockReason(tern::platform::kSleepInhibitorWhy);

    // One writer per device, and a processor-time limit that lasts the whole transfer: when
    // either refuses, this run writes nothing and ends as a failure that says why. The window
    // has no room for what could not be inhibited; the run goes on without it.
    tern::InstallSession session({.inhibitLogout = true});
    tern::InstallSession::Begun begun;
    // Room to report the outcome, given back once the transfer has ended. Without it, or
    // when memory runs out before the first write, nothing is written.
    tern::MemoryReserve reserve;
    bool memory = false;
    try {
        memory = reserve.Take();
        if (memory) {
            begun = session.Begin(pDlg->m_nScheduleMs);
        }
    } catch (const std::bad_alloc&) {
        memory = false;
    }
    bool transferred = false;
    if (memory && begun.ok) {
        CProgressBarSink progress(pDlg->m_Progress);
        pPlay->Play(progress, static_cast<uint32_t>(pDlg->m_nTempo));
        transferred = pPlay->m_nError == 0;
    }
    reserve.Release();
    session.End();
    pDlg->SetShutdownBlockReason(nullptr);

    if (!memory) {
        pDlg->m_nStatus = tern::MakeFailure(tern::kMsgNoMemory);
        pDlg->m_strOutcome = tern::MessageText(tern::kMsgNoMemory);
    } else if (!begun.ok) {
        pDlg->m_nStatus = tern::MakeFailure(tern::kMsgCommunication);
        pDlg->m_strOutcome = tern::InstallSession::ShortRefusal(begun);
    } else if (!transferred) {
        pDlg->m_nStatus = tern::MakeFailure(tern::kMsgCommunication);
        pDlg->m_strOutcome = tern::MessageText(tern::kMsgCommunication);
    } else {
        pDlg->m_strOutcome = tern::kTextRebooting;
        pDlg->m_nStatus = tern::kStatusRebooting;
    }
    pDlg->m_Status.SetWindowText(pDlg->m_strOutcome);
    pDlg->MessageBeep(0);
    pDlg->m_Browse.EnableWindow(false);
    // The last act: whoever sees the flag drop sees the final status as well.
    pDlg->m_nBusy = 0;
    return 0;
}
