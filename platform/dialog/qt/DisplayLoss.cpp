#include "platform/dialog/qt/DisplayLoss.h"

#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/dialog/qt/DialogWindow.h"

namespace tern::platform {
namespace {

std::atomic<DialogWindow*> g_watched{nullptr};
QtMessageHandler g_previousHandler = nullptr;

// Once only: whichever way the loss is seen first, the dialog is asked once and the process
// ends here. With no window watched (none open, or the program is ending as it always does)
// it returns and the end goes on as it would.
void EndForLostDisplay() {
    DialogWindow* const window = g_watched.exchange(nullptr);
    if (!window) {
        return;
    }
    const int status = window->AskAfterDisplayLoss();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

// Another client destroyed the window: nothing is left to show, and nobody can close it.
class DestroyedWindowFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_DESTROY_NOTIFY) {
            return false;
        }
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        const DialogWindow* const window = g_watched.load();
        // Its own id, without making one: a window Qt destroys itself is no longer watched.
        if (window && window->internalWinId() == destroyed->window) {
            EndForLostDisplay();
        }
        return false;
    }
};

// QtWayland reports the broken connection this way just before its _exit().
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (g_previousHandler) {
        g_previousHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    }
    if (text.startsWith(QLatin1String("The Wayland connection"))) {
        EndForLostDisplay();
    }
}

}  // namespace

void WatchForDisplayLoss(DialogWindow& window) {
    g_watched = &window;
    // Exit hooks run newest first, each before what was made before it: from here on the
    // dialog goes ahead of the device link, the loaded component and everything else the
    // program has made so far.
    std::atexit(EndForLostDisplay);
    static DestroyedWindowFilter filter;
    QCoreApplication::instance()->installNativeEventFilter(&filter);  // once, however often
    static std::once_flag handlerInstalled;
    std::call_once(handlerInstalled,
                   [] { g_previousHandler = qInstallMessageHandler(OnQtMessage); });
}

void StopWatchingForDisplayLoss(DialogWindow& window) {
    DialogWindow* expected = &window;
    g_watched.compare_exchange_strong(expected, nullptr);
}

}  // namespace tern::platform
