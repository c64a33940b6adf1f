// The About box, on template 100.
#pragma once

#include "platform/dialog/Dialog.h"

class CAboutDlg : public tern::platform::CDialog {
public:
    explicit CAboutDlg(tern::platform::CDialog* parent = nullptr);
};
