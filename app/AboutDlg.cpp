#include "app/AboutDlg.h"

#include "res/DialogTemplates.h"

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(tern::res::AboutDialogTemplate(), parent) {}
