#include "res/DialogTemplates.h"

#include <array>

#include "platform/dialog/Window.h"
#include "res/resource.h"

namespace tern::res {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;
namespace s = platform;

constexpr uint32_t kLabel = s::kStyleRight | s::kStyleVCenter | s::kStyleGroup;
constexpr uint32_t kField = s::kStyleCenter | s::kStyleVCenter | s::kStyleSunken | s::kStyleGroup;

// Rows in creation order, which is also the tab order.
const std::array<ControlTemplate, 10> kMainControls = {{
    {IDC_LABEL_OUTPUT_PORT, ControlKind::Static, "Output Port :", 10, 14, 47, 10, kLabel, 0},
    {IDC_LABEL_FILE_NAME, ControlKind::Static, "File Name :", 16, 34, 42, 10, kLabel, 0},
    {IDC_LABEL_STATUS, ControlKind::Static, "Status :", 20, 54, 38, 10, kLabel, 0},
    {IDC_OUTPUT_PORT, ControlKind::Static, "", 63, 13, 54, 12, kField, 0},
    {IDC_FILE_NAME, ControlKind::Edit, "", 63, 32, 197, 14,
     s::kStyleReadOnly | s::kStyleAutoHScroll | s::kStyleBorder | s::kStyleSunken, 0},
    {IDC_BROWSE, ControlKind::PushButton, "Browse", 271, 32, 50, 15, s::kStyleTabStop, 0},
    {IDC_STATUS, ControlKind::Static, "", 63, 53, 257, 13, kField, 0},
    {IDC_PROGRESS, ControlKind::ProgressBar, "", 63, 72, 258, 10,
     s::kStyleSmooth | s::kStyleStaticEdge | s::kStyleSunken, 0},
    {IDC_START, ControlKind::PushButton, "Start", 252, 90, 69, 15, s::kStyleTabStop, 0},
    {IDC_ABOUT, ControlKind::PushButton, "About...", 271, 13, 50, 14, s::kStyleTabStop, 0},
}};

const std::array<ControlTemplate, 5> kAboutControls = {{
    {-1, ControlKind::Icon, "", 13, 17, 20, 20, s::kStyleNone, IDR_MAINFRAME},
    {IDC_ABOUT_VERSION, ControlKind::Static, "Tern Update Program Version 1.0.0", 48, 10, 129, 8,
     s::kStyleNone, 0},
    {-1, ControlKind::Static, "Installs new firmware into the Ostrel over FireWire.", 48, 23, 137,
     8, s::kStyleNone, 0},
    {IDC_ABOUT_NOTICE, ControlKind::Static, "Copyright (C) 2026 the Tern Update Program authors.",
     48, 37, 140, 8, s::kStyleNone, 0},
    {platform::IDOK, ControlKind::PushButton, "OK", 210, 7, 56, 14,
     s::kStyleTabStop | s::kStyleGroup | s::kStyleDefaultButton, 0},
}};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t{IDD_TERNUPDATE_DIALOG,
                                  "Tern Update Program",
                                  343,
                                  119,
                                  "MS Shell Dlg",
                                  8,
                                  s::kDialogCaption | s::kDialogSystemMenu | s::kDialogMinimizeBox |
                                      s::kDialogModalFrame | s::kDialog3DLook |
                                      s::kDialogAppWindow | s::kDialogStaticEdge,
                                  kMainControls};
    return t;
}

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate t{IDD_ABOUTBOX,
                                  "About Tern Update Program",
                                  274,
                                  55,
                                  "MS Shell Dlg",
                                  8,
                                  s::kDialogModalFrame | s::kDialogCaption | s::kDialogSystemMenu,
                                  kAboutControls};
    return t;
}

}  // namespace tern::res
