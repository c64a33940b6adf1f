// Measures how far behind the file's schedule the window's installation run sends its
// writes while other programs connect to its single-instance endpoint and send nothing. Each
// row is one real run: a CTernUpdateDlg on Qt's offscreen platform finds the simulated
// Ostrel, loads the sample and installs it on the real clock, with the simulator's capture
// on; the window's thread serves its progress updates and the endpoint at once.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/DisturbanceTable.h"
#include "platform/dialog/CommonDialogs.h"
#include "platform/dialog/qt/DialogWindow.h"
#include "platform/dialog/qt/SingleInstanceEndpoint.h"
#include "res/resource.h"
#include "tests/support/linux/SocketPeers.h"
#include "tests/support/linux/TerminalChild.h"
#include "ui/TernUpdateDlg.h"

namespace {

using namespace std::chrono_literals;
using tern::test::CaptureLateness;

constexpr auto kLimit = 60s;
constexpr int kIdlePerPeer = 10;

bool ServeUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// One run in a fresh window; `peers` idle peers of kIdlePerPeer connections each connect
// before Start, and as many again while the transfer runs.
CaptureLateness RunInTheWindow(const std::string& folder, const std::string& endpoint, int peers) {
    CaptureLateness failed;
    const std::string capture = folder + "/capture-" + std::to_string(peers) + ".txt";
    std::filesystem::remove(capture);
    setenv("CORVO_SIM_CAPTURE", capture.c_str(), 1);
    auto dlg = std::make_unique<CTernUpdateDlg>();
    dlg->Create();
    auto* port = qobject_cast<QLabel*>(tern::platform::AsWidget(dlg->GetDlgItem(IDC_OUTPUT_PORT)));
    if (!ServeUntil([port] { return port->text() == "FIRM"; })) {
        failed.error = "discovery did not find the port";
        return failed;
    }
    dlg->OnBrowse();
    std::vector<std::unique_ptr<tern::test::TerminalChild>> idle;
    const auto connect = [&] {
        const auto command = tern::test::IdleConnectionsCommand(endpoint, kIdlePerPeer);
        for (int i = 0; i < peers; ++i) {
            idle.push_back(std::make_unique<tern::test::TerminalChild>(
                command.front(), std::vector<std::string>(command.begin() + 1, command.end())));
        }
    };
    connect();
    for (auto& peer : idle) {
        if (!peer->WaitForOutput("open " + std::to_string(kIdlePerPeer), kLimit)) {
            failed.error = "an idle peer could not connect: " + peer->Screen();
            return failed;
        }
    }
    dlg->OnStart();
    connect();
    if (!ServeUntil([&dlg] { return dlg->m_nBusy == 0 && dlg->m_nStatus != 0; })) {
        failed.error = "the run did not end";
        return failed;
    }
    const bool installed = dlg->m_nStatus == 255;
    dlg.reset();
    unsetenv("CORVO_SIM_CAPTURE");
    if (!installed) {
        failed.error = "the run failed";
        return failed;
    }
    return tern::test::MeasureCaptureLateness(capture, TERN_SAMPLE_FIRMWARE);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char pattern[] = "/tmp/tern-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    // A private folder and an install lock of the benchmark's own.
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    setenv("TERN_INSTALL_LOCK", (folder + "/install.lock").c_str(), 1);
    unsetenv("CORVO_SIM_SCENARIO");
    QApplication app(argc, argv);
    tern::platform::SetOpenFileAnswer(
        [] { return std::optional<std::string>(TERN_SAMPLE_FIRMWARE); });
    const std::string name = "bench-window-" + std::to_string(getpid());
    tern::platform::SingleInstance instance(name);
    if (instance.ClaimName() != tern::platform::SingleInstance::Claim::First) {
        std::fprintf(stderr, "cannot claim the instance endpoint: %s\n",
                     instance.Problem().c_str());
        return 1;
    }
    const std::string endpoint = tern::platform::SingleInstanceState::EndpointPath(name);
    std::vector<tern::bench::DisturbanceRow> rows = {
        {"none (window)", {}},
        {"idle connections to the window's instance endpoint (20 before Start, 20 during)", {}},
    };
    const int status = tern::bench::PrintDisturbances(
        "bench_window_disturbances",
        "the window's installation run of the sample on the offscreen platform, simulated "
        "Ostrel, lateness of each write after its due time",
        rows, [&](size_t i) { return RunInTheWindow(folder, endpoint, i == 0 ? 0 : 2); });
    std::filesystem::remove_all(folder);
    return status;
}
