// CTernUpdateDlg: the program's one working window. Shows the firmware port discovery found,
// the chosen update file, a status line and a progress bar; Browse loads the file, Start
// installs it, About... shows the About box. Only Tab, the arrow keys, Enter and Escape do
// anything, and Enter acts on whichever button has the focus.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "devlink/DiscoveryView.h"
#include "devlink/DiscoveryWorker.h"
#include "engine/VexDataPlay.h"
#include "platform/dialog/Controls.h"
#include "platform/dialog/Dialog.h"

class CTernUpdateDlg;
class CVexDataPlay;

// What a worker thread is handed.
struct THREADPARAM {
    CTernUpdateDlg* pDlg;
    CVexDataPlay* pPlay;
};

class CTernUpdateDlg : public tern::platform::CDialog, public IDiscoveryView {
public:
    static constexpr int32_t kTempo = tern::kInstallTempo;  // microseconds per quarter note
    // How the program ends when its window loses its display (OnDisplayLost): the
    // firmware was installed; a run ended without installing it; no run had started.
    static constexpr int kExitInstalled = 0;
    static constexpr int kExitNoRun = 1;         // as the toolkit ends a program whose display went
    static constexpr int kExitNotInstalled = 4;  // as tern-flash's failed transfer

    explicit CTernUpdateDlg(tern::platform::CDialog* pParent = nullptr);
    ~CTernUpdateDlg() override;

    // The About box belongs to the application; it hands the dialog a way to show it.
    void SetAboutBox(std::function<void(tern::platform::CDialog* parent)> showAboutBox);

    // From any thread: whether what the person's session asks from outside the window (a
    // closed terminal, Ctrl+C in it, a logout) must be refused because a run is writing
    // firmware, as Escape and the close box are then. When it need not be, no run starts from
    // then on, until AllowRunsAgain: the program may end without cutting one off.
    bool RefuseSessionEnd();
    void AllowRunsAgain();

    void OnBrowse();
    void OnStart();

    tern::platform::CButton m_Browse;
    tern::platform::CEdit m_FileName;
    tern::platform::CStatic m_OutputPort;
    tern::platform::CButton m_Start;
    tern::platform::CStatic m_Status;
    tern::platform::CProgressCtrl m_Progress;
    std::string m_strPath;
    int32_t m_nTempo = 0;
    // How long the loaded file's transfer lasts, from its dry run at Browse: what the run
    // checks the processor-time limit against.
    uint32_t m_nScheduleMs = 0;
    // Written whole by the workers, read by the window: atomic words.
    std::atomic<int32_t> m_nStatus{0};
    std::atomic<int32_t> m_nBusy{0};
    tern::platform::IconHandle m_hIcon = nullptr;
    tern::platform::CBrush m_Brush;
    THREADPARAM m_Param{nullptr, nullptr};

protected:
    void DoDataExchange() override;
    bool PreTranslateMessage(const tern::platform::KeyMessage& message) override;
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnCancel() override;
    void OnSysCommand(uint32_t command, intptr_t param) override;
    const tern::platform::CBrush* OnCtlColor(tern::platform::CDC& dc,
                                             tern::platform::WindowHandle control,
                                             int kind) override;
    void OnPaint() override;
    tern::platform::IconHandle OnQueryDragIcon() override;
    // A logout or shutdown waits for a run, as Escape and the close box do.
    bool OnQueryEndSession() override;
    void OnEndSession(bool ending) override;
    // The window is gone: a run goes on to its end, and its outcome goes to stderr.
    int OnDisplayLost() override;

    // What discovery reports.
    void EnableBrowse(bool enable) override;
    void SetStatusText(const char* text) override;
    void SetOutputPort(const char* text) override;
    void SetStatus(int32_t status) override;

private:
    friend uint32_t InstallThread(THREADPARAM* param);

    // Ends the modal run once nothing a worker uses can go away under it: a discovery still
    // retrying is stopped first, with the window serving its updates meanwhile; during an
    // installation the window stays open.
    void CloseWhenSafe(int result);
    // Loads m_strPath into the player and plays it dry; false when it did not load or is
    // refused, with the reader's error value saying why.
    bool LoadAndJudge();
    void StopDiscoveryServingEvents();
    void WaitForInstallationServingEvents();

    CDiscoveryWorker m_Discovery{*this};
    std::thread m_InstallWorker;
    std::function<void(tern::platform::CDialog*)> m_showAboutBox;
    bool m_bClosing = false;
    bool m_bRunStarted = false;
    // What the run's last words in the window were; the worker writes it before the busy
    // flag drops.
    std::string m_strOutcome;
    // Set while the session ends the program; read by Start after it has set m_nBusy, so
    // that of a Start and an ending that meet, at least one sees the other and gives way.
    std::atomic<int32_t> m_nSessionEnding{0};
};

// The installation worker: plays the loaded file into the firmware port and reports the
// outcome. Returns 0.
uint32_t InstallThread(THREADPARAM* param);
