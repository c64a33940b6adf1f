// The open-file dialog, the message box and the beep, each with a seam tests answer instead
// of a person.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/dialog/Window.h"

namespace tern::platform {

class CDialog;

// Shows a modal open-file dialog owned by `owner`. `filter` is "Name|patterns|...||". Returns
// the full path the dialog holds when it ends: empty after a cancel.
std::string ShowOpenFileDialog(CDialog* owner, const char* defaultExtension, const char* filter,
                               uint32_t flags);

// Shows a modal message box; returns the button pressed (1 for OK).
int ShowMessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                   uint32_t type);

// The default system sound, on the calling thread: the window's thread. Workers beep through
// CDialog::MessageBeep instead.
void MessageBeep(uint32_t type);

// Test seams. An open-file answer gives a path, or nothing for a cancel.
using OpenFileAnswer = std::function<std::optional<std::string>()>;
void SetOpenFileAnswer(OpenFileAnswer answer);  // empty: show the real dialog
struct MessageBoxCall {
    std::string text;
    std::string caption;
    uint32_t type;
};
void SetMessageBoxAnswer(std::function<int(const MessageBoxCall&)> answer);
uint32_t BeepCount();
std::thread::id LastBeepThread();

}  // namespace tern::platform
