#include "ui/TernUpdateDlg.h"

#include <chrono>
#include <new>
#include <thread>

#include "devlink/Handles.h"
#include "engine/DryRun.h"
#include "engine/VexDataPlay.h"
#include "platform/ComRuntime.h"
#include "platform/ExecutableName.h"
#include "platform/dialog/CommonDialogs.h"
#include "res/DialogTemplates.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "status/ReaderError.h"
#include "status/StatusCodes.h"

using namespace tern::platform;

namespace {

constexpr char kDefaultExtension[] = "sdy";
constexpr char kFileFilter[] = "SMF files (*.mid)|*.mid|All Files (*.*)|*.*||";
constexpr uint32_t kOpenFlags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_SHAREAWARE;
constexpr ColorRef kWhite = MakeColorRef(0xFF, 0xFF, 0xFF);
// The window serves its events this often while it waits for a worker (real time, whatever
// clock discovery runs on).
constexpr std::chrono::milliseconds kServePause{2};

}  // namespace

CTernUpdateDlg::CTernUpdateDlg(CDialog* pParent)
    : CDialog(tern::res::MainDialogTemplate(), pParent), m_hIcon(LoadIconResource(IDR_MAINFRAME)) {
    m_Brush.CreateSolidBrush(kWhite);
    CoInitialize(nullptr);
}

CTernUpdateDlg::~CTernUpdateDlg() {
    // Normally both workers have ended by now; if the modal run ended some other way, make
    // sure before anything they use goes away.
    StopDiscoveryServingEvents();
    WaitForInstallationServingEvents();
    ReleaseDeviceLinkHandles();
    CoUninitialize();
}

void CTernUpdateDlg::SetAboutBox(std::function<void(CDialog*)> showAboutBox) {
    m_showAboutBox = std::move(showAboutBox);
}

void CTernUpdateDlg::DoDataExchange() {
    DDX_Control(*this, IDC_BROWSE, m_Browse);
    DDX_Control(*this, IDC_FILE_NAME, m_FileName);
    DDX_Control(*this, IDC_OUTPUT_PORT, m_OutputPort);
    DDX_Control(*this, IDC_START, m_Start);
    DDX_Control(*this, IDC_STATUS, m_Status);
    DDX_Control(*this, IDC_PROGRESS, m_Progress);
}

bool CTernUpdateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Where the window manager owns the system menu there is none to extend; the About...
    // button sends the same system command its "About..." item would.
    if (CMenu* pSysMenu = GetSystemMenu()) {
        const std::string strAboutMenu = tern::res::LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.empty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu.c_str());
        }
    }
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    m_nTempo = kTempo;
    m_nStatus = tern::kStatusOk;
    m_Start.EnableWindow(false);
    m_nBusy = 0;

    // Creates the root object and lists the bus once; on failure the status, its message
    // and a disabled Browse are already shown and no search runs.
    m_Param.pDlg = this;
    m_Discovery.Start();
    return true;
}

bool CTernUpdateDlg::PreTranslateMessage(const KeyMessage& message) {
    if (message.kind != KeyMessageKind::KeyDown) {
        return DefaultPreTranslate(message);
    }
    switch (message.virtualKey) {
        case VK_TAB:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            return DefaultPreTranslate(message);
        case VK_RETURN: {
            // The focused window decides, enabled or not.
            const WindowHandle focus = GetFocus();
            if (focus && focus == GetDlgItem(IDC_ABOUT)) {
                SendSysCommand(IDM_ABOUTBOX);
            } else if (focus && focus == GetDlgItem(IDC_BROWSE)) {
                OnBrowse();
            } else if (focus && focus == GetDlgItem(IDC_START)) {
                OnStart();
            } else {
                m_strPath = m_FileName.GetWindowText();
                if (m_strPath.empty()) {
                    ShowMessageBox(this, tern::kTextInputUpdateFile, ExecutableBaseName(),
                                   MB_OK | MB_ICONEXCLAMATION);
                }
            }
            return true;
        }
        case VK_ESCAPE:
            if (m_nBusy == 1) {
                return true;
            }
            return DefaultPreTranslate(message);
        default:
            return true;
    }
}

void CTernUpdateDlg::OnCommand(int id) {
    switch (id) {
        case IDC_START:
            OnStart();
            break;
        case IDC_BROWSE:
            OnBrowse();
            break;
        case IDC_ABOUT:
            SendSysCommand(IDM_ABOUTBOX);
            break;
        default:
            CDialog::OnCommand(id);
    }
}

void CTernUpdateDlg::OnSysCommand(uint32_t command, intptr_t param) {
    if ((command & 0xFFF0u) == IDM_ABOUTBOX) {
        if (m_showAboutBox) {
            m_showAboutBox(this);
        }
        return;
    }
    CDialog::OnSysCommand(command, param);
}

void CTernUpdateDlg::OnCancel() {
    CloseWhenSafe(IDCANCEL);
}

bool CTernUpdateDlg::LoadAndJudge() {
    try {
        if (!g_DataPlay.LoadFile(m_strPath)) {
            return false;
        }
        if (const tern::DryRunReport plan = tern::RunDryRun(g_DataPlay); plan.verdict.Accepted()) {
            m_nScheduleMs = plan.durationMs;
            return true;
        }
        // Its transfer is known to go wrong, or it holds no firmware: refused before anything
        // is written, as a file that does not load is, and in the same words.
        g_DataPlay.m_nError = tern::kReaderFormat;
    } catch (const std::bad_alloc&) {
        // The dry run found no memory: the file is not loaded, as when its image found none.
        g_DataPlay.m_nError = tern::kReaderNoMemory;
    }
    return false;
}

void CTernUpdateDlg::OnBrowse() {
    // Reached by Enter on Browse even while it is disabled: during a search, an installation
    // or after one, no file may be loaded.
    if (m_nBusy == 1 || !m_Browse.IsWindowEnabled()) {
        return;
    }
    m_FileName.SetWindowText(ShowOpenFileDialog(this, kDefaultExtension, kFileFilter, kOpenFlags));
    m_strPath = m_FileName.GetWindowText();
    if (LoadAndJudge()) {
        m_Status.SetWindowText("");
        m_Start.EnableWindow(true);
        m_nStatus = tern::kStatusOk;
        return;
    }
    const int32_t status = tern::StatusFromReaderError(g_DataPlay.m_nError);
    m_nStatus = status;
    m_Status.SetWindowText(tern::MessageText(tern::MessageOf(status)));
    m_Start.EnableWindow(false);
}

const CBrush* CTernUpdateDlg::OnCtlColor(CDC& dc, WindowHandle control, int kind) {
    const CBrush* brush = CDialog::OnCtlColor(dc, control, kind);
    // A read-only edit asks as a static control does: only the file-name field turns white.
    if (kind == CTLCOLOR_STATIC && control == GetDlgItem(IDC_FILE_NAME)) {
        dc.SetBkColor(kWhite);
        return &m_Brush;
    }
    return brush;
}

void CTernUpdateDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(*this);
    SendIconEraseBackground(dc);
    // The icon centred in the client area.
    const Size icon = SystemIconSize();
    const Size client = GetClientSize();
    const int x = (client.cx - icon.cx + 1) / 2;
    const int y = (client.cy - icon.cy + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

IconHandle CTernUpdateDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CTernUpdateDlg::EnableBrowse(bool enable) {
    m_Browse.EnableWindow(enable);
}

void CTernUpdateDlg::SetStatusText(const char* text) {
    m_Status.SetWindowText(text);
}

void CTernUpdateDlg::SetOutputPort(const char* text) {
    m_OutputPort.SetWindowText(text);
}

void CTernUpdateDlg::SetStatus(int32_t status) {
    m_nStatus = status;
}

void CTernUpdateDlg::CloseWhenSafe(int result) {
    if (m_bClosing) {
        return;
    }
    // A run writing firmware must not be cut off: the window stays until it has ended.
    // (A run whose worker never started holds nothing and does not keep the window.)
    if (m_nBusy == 1 && m_InstallWorker.joinable()) {
        return;
    }
    m_bClosing = true;
    StopDiscoveryServingEvents();
    m_bClosing = false;
    EndDialog(result);
}

void CTernUpdateDlg::StopDiscoveryServingEvents() {
    m_Discovery.RequestStop();
    // The worker may be waiting on this thread for an update it started before the stop.
    while (!m_Discovery.Finished()) {
        ServePendingEvents();
        std::this_thread::sleep_for(kServePause);
    }
    m_Discovery.Wait();
}

void CTernUpdateDlg::WaitForInstallationServingEvents() {
    while (m_nBusy == 1 && m_InstallWorker.joinable()) {
        ServePendingEvents();
        std::this_thread::sleep_for(kServePause);
    }
    if (m_InstallWorker.joinable()) {
        m_InstallWorker.join();  // its last act cleared the busy flag; nothing more to serve
    }
}
