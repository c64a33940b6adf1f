// Control updates from a worker: applied on the window's thread in the order they were made,
// and served while a nested modal dialog runs there.
#include <atomic>
#include <functional>
#include <numeric>
#include <thread>

#include "app/AboutDlg.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

class Sends : public DialogTest {};

TEST_F(Sends, AreAppliedInTheOrderAWorkerMakesThem) {
    OpenFound();
    std::atomic<bool> done{false};
    std::vector<int> seen;
    std::thread worker([&] {
        for (int i = 1; i <= 100; ++i) {
            m_dlg->m_Progress.SetPos(i);
            // Send semantics: applied before the call returned, so before the next was made.
            seen.push_back(m_dlg->m_Progress.GetPos());
        }
        done = true;
    });
    EXPECT_TRUE(ServeUntil([&] { return done.load(); }));
    worker.join();
    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(seen, expected);
}

TEST_F(Sends, AreServedWhileANestedModalDialogIsOpen) {
    OpenFound();
    std::atomic<bool> done{false};
    std::thread worker;
    m_dlg->SetAboutBox([&](tern::platform::CDialog* parent) {
        CAboutDlg about(parent);
        // Only the About box's own modal loop runs while the worker waits on this thread.
        worker = std::thread([&] {
            m_dlg->m_Status.SetWindowText("from a worker");
            done = true;
        });
        const auto giveUp = std::chrono::steady_clock::now() + 10s;
        std::function<void()> poll = [&] {
            if (done || std::chrono::steady_clock::now() > giveUp) {
                about.EndDialog(platform::IDOK);
            } else {
                RunOnWindowThreadAfter(5, poll);
            }
        };
        RunOnWindowThreadAfter(5, poll);
        about.DoModal();
    });
    m_dlg->SendSysCommand(IDM_ABOUTBOX);
    worker.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(Text(IDC_STATUS), "from a worker");
}

}  // namespace
}  // namespace tern::test
