// What a dialog does where its class overrides nothing, the same on every backend.
#include "platform/dialog/Dialog.h"

namespace tern::platform {

bool CDialog::OnInitDialog() {
    return true;  // the system gives the first tab stop the focus
}

bool CDialog::PreTranslateMessage(const KeyMessage& message) {
    return DefaultPreTranslate(message);
}

void CDialog::OnCommand(int id) {
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

const CBrush* CDialog::OnCtlColor(CDC&, WindowHandle, int) {
    return nullptr;  // the system's own answer
}

}  // namespace tern::platform
