// The system's open-file dialog, message box and beep.
#include "platform/dialog/CommonDialogsBackend.h"

#include <vector>

#include "platform/dialog/Window.h"
#include "platform/dialog/win32/DialogWindow.h"

namespace tern::platform {
namespace {

HWND OwnerWindow(CDialog* owner) {
    return owner ? AsDialogWindow(*owner)->Hwnd() : nullptr;
}

// "Name|patterns|...||" as the system's list of NUL-separated pairs ending in two NULs.
std::vector<char> SystemFilter(const char* filter) {
    std::vector<char> list;
    for (const char* c = filter; c && *c; ++c) {
        list.push_back(*c == '|' ? '\0' : *c);
    }
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

}  // namespace

std::string NativeOpenFileDialog(CDialog* owner, const char* defaultExtension, const char* filter,
                                 uint32_t flags) {
    // Room for any path the system can name: 32,767 UTF-16 units, each at most three bytes in
    // the program's code page (UTF-8). A longer one ends the dialog as a cancel would.
    constexpr size_t kLongestPathUnits = 32767;
    constexpr size_t kMostBytesPerUnit = 3;
    std::vector<char> path(kLongestPathUnits * kMostBytesPerUnit + 1, '\0');
    const std::vector<char> filters = SystemFilter(filter);
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = OwnerWindow(owner);
    request.lpstrFilter = filters.data();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.lpstrDefExt = defaultExtension;
    request.Flags = flags;
    if (!GetOpenFileNameA(&request)) {
        return {};
    }
    return path.data();
}

int NativeMessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                     uint32_t type) {
    return MessageBoxA(OwnerWindow(owner), text.c_str(), caption.c_str(), type);
}

void NativeBeep(uint32_t type) {
    ::MessageBeep(type);
}

}  // namespace tern::platform
