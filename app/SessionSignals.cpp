#include "app/SessionSignals.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Terminal.h"
#include "ui/TernUpdateDlg.h"

namespace {

std::atomic<CSessionSignals*> g_current{nullptr};

}  // namespace

CSessionSignals::CSessionSignals()
    : CSessionSignals(Actions{[](int signal) { std::_Exit(128 + signal); },
                              tern::platform::StopAsJobControlWould}) {}

CSessionSignals::CSessionSignals(Actions actions)
    : m_actions(std::move(actions)), m_watcher([this](int signal) { OnSignal(signal); }) {
    // A reader of the error stream that has gone (`2>&1 | head`) makes a write there fail
    // instead of ending the program, a refusal's message during a transfer included.
    tern::platform::IgnoreBrokenPipe();
    g_current = this;
}

CSessionSignals::~CSessionSignals() {
    g_current = nullptr;
}

CSessionSignals* CSessionSignals::Current() {
    return g_current;
}

CSessionSignals::Attachment::Attachment(CTernUpdateDlg& dlg) {
    if (CSessionSignals* watcher = Current()) {
        watcher->Attach(&dlg);
    }
}

CSessionSignals::Attachment::~Attachment() {
    if (CSessionSignals* watcher = Current()) {
        watcher->Attach(nullptr);
    }
}

void CSessionSignals::Attach(CTernUpdateDlg* dlg) {
    std::lock_guard lock(m_mutex);
    m_dlg = dlg;
}

void CSessionSignals::OnSignal(int signal) {
    std::lock_guard lock(m_mutex);
    if (m_dlg && m_dlg->RefuseSessionEnd()) {
        ++m_refused;
        std::fprintf(stderr,
                     "tern-update: %s refused: the firmware transfer is running and must not be "
                     "cut off.\n",
                     tern::platform::SignalText(signal).c_str());
        return;
    }
    if (tern::platform::IsJobStop(signal)) {
        m_actions.stop();
        if (m_dlg) {
            m_dlg->AllowRunsAgain();
        }
        return;
    }
    // No run is writing, and none can start now: end as the signal always has.
    m_actions.end(signal);
}
