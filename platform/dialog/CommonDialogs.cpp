#include "platform/dialog/CommonDialogs.h"

#include <atomic>
#include <mutex>

#include "platform/dialog/CommonDialogsBackend.h"

namespace tern::platform {
namespace {

std::mutex g_seamMutex;
OpenFileAnswer g_openFileAnswer;
std::function<int(const MessageBoxCall&)> g_messageBoxAnswer;
std::atomic<uint32_t> g_beeps{0};
std::thread::id g_lastBeepThread;  // under g_seamMutex

}  // namespace

std::string ShowOpenFileDialog(CDialog* owner, const char* defaultExtension, const char* filter,
                               uint32_t flags) {
    OpenFileAnswer answer;
    {
        std::lock_guard lock(g_seamMutex);
        answer = g_openFileAnswer;
    }
    if (answer) {
        return answer().value_or("");
    }
    return NativeOpenFileDialog(owner, defaultExtension, filter, flags);
}

int ShowMessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                   uint32_t type) {
    std::function<int(const MessageBoxCall&)> answer;
    {
        std::lock_guard lock(g_seamMutex);
        answer = g_messageBoxAnswer;
    }
    if (answer) {
        return answer({text, caption, type});
    }
    return NativeMessageBox(owner, text, caption, type);
}

void MessageBeep(uint32_t type) {
    {
        std::lock_guard lock(g_seamMutex);
        g_lastBeepThread = std::this_thread::get_id();
    }
    ++g_beeps;
    NativeBeep(type);
}

void SetOpenFileAnswer(OpenFileAnswer answer) {
    std::lock_guard lock(g_seamMutex);
    g_openFileAnswer = std::move(answer);
}

void SetMessageBoxAnswer(std::function<int(const MessageBoxCall&)> answer) {
    std::lock_guard lock(g_seamMutex);
    g_messageBoxAnswer = std::move(answer);
}

uint32_t BeepCount() {
    return g_beeps.load();
}

std::thread::id LastBeepThread() {
    std::lock_guard lock(g_seamMutex);
    return g_lastBeepThread;
}

}  // namespace tern::platform
