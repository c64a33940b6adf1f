#include "devlink/DiscoveryWorker.h"

#include <new>

#include "devlink/CorvoRoot.h"
#include "devlink/DiscoveryAttempt.h"
#include "devlink/Handles.h"
#include "platform/WorkerThread.h"
#include "status/StatusCodes.h"

CDiscoveryWorker::~CDiscoveryWorker() {
    RequestStop();
    Wait();
}

void CDiscoveryWorker::ReportFailure(int32_t message) {
    m_view.SetStatus(tern::MakeFailure(message));
    m_view.SetStatusText(tern::MessageText(message));
    m_view.EnableBrowse(false);
}

bool CDiscoveryWorker::Start() {
    ReleaseHandle(g_pCorvoAsync);
    if (const HRESULT created = CreateCorvoAsync(&g_pCorvoAsync); FAILED(created)) {
        m_view.SetRootFailure(created);
        ReportFailure(tern::kMsgNoInterface);
        return false;
    }
    // Only proves the bus can be listed; the worker's first attempt lists it again.
    FreeNodeList(g_NodeList);
    if (FAILED(g_pCorvoAsync->GetNodeList(&g_NodeList))) {
        g_NodeList = {0, nullptr};
        ReportFailure(tern::kMsgNoDeviceInfo);
        return false;
    }
    m_finished = false;
    if (!tern::platform::StartWorkerThread(m_thread, tern::platform::ThreadPriority::Normal,
                                           [this] { Run(); })) {
        // Without its worker the window would wait forever: say the device link failed, and
        // a terminal why (the system had no room for the thread).
        m_finished = true;
        m_view.SetRootFailure(E_OUTOFMEMORY);
        ReportFailure(tern::kMsgNoInterface);
        return false;
    }
    return true;
}

void CDiscoveryWorker::Run() {
    // Nothing may end the process from this thread: out of memory, the search fails.
    try {
        RunAttempts();
    } catch (const std::bad_alloc&) {
        try {
            ReportFailure(tern::kMsgNoMemory);
        } catch (const std::bad_alloc&) {
        }
    }
    m_finished = true;
}

void CDiscoveryWorker::RunAttempts() {
    if (Stopping()) {
        return;
    }
    m_view.EnableBrowse(false);
    m_view.SetStatusText(tern::kTextSearching);
    uint32_t failedAttempts = 0;
    for (bool first = true;; first = false) {
        if (!first && !Pause(kRetryPauseMs)) {
            break;
        }
        const DiscoveryStep step = RunDiscoveryAttempt();
        if (Stopping()) {
            break;
        }
        m_view.SetStatus(step);
        if (step != kStepPortOpen) {
            if (++failedAttempts > kMaxFailedAttempts) {
                m_view.SetStatus(tern::MakeFailure(step));
                m_view.SetStatusText(tern::MessageText(step));
                break;
            }
            continue;
        }
        if (failedAttempts < kSettlePauses &&
            !Pause((kSettlePauses - failedAttempts) * kRetryPauseMs)) {
            break;
        }
        m_view.EnableBrowse(true);
        m_view.SetStatusText("");
        // The port rule matched this tag, so the field always reads "FIRM".
        m_view.SetOutputPort(FormatPortTag(kFirmwarePortTag).c_str());
        break;
    }
}

void CDiscoveryWorker::RequestStop() {
    m_stop.RequestStop();
}

void CDiscoveryWorker::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
