// What each dialog backend provides behind the common dialogs: the real open-file dialog,
// message box and beep, reached when no test seam answers.
#pragma once

#include <cstdint>
#include <string>

namespace tern::platform {

class CDialog;

std::string NativeOpenFileDialog(CDialog* owner, const char* defaultExtension, const char* filter,
                                 uint32_t flags);
int NativeMessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                     uint32_t type);
void NativeBeep(uint32_t type);

}  // namespace tern::platform
