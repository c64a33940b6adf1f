#include "app/AboutDlg.h"

#include "res/DialogTemplates.h"

CAboutDlg::CAboutDlg(tern::platform::CDialog* parent)
    : CDialog(tern::res::AboutDialogTemplate(), parent) {}
