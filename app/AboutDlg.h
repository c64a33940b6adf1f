// The About box, on template 100.
#pragma once

#include "platform/qt/Dialog.h"

class CAboutDlg : public tern::platform::CDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
