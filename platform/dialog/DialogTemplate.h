// A dialog described as data: its frame and every control with id, kind, text and position
// in dialog units, in creation (and tab) order, and the styles that matter to the program.
// Both dialog backends build their windows from this one description.
#pragma once

#include <cstdint>
#include <span>

namespace tern::platform {

enum class ControlKind { Static, Edit, PushButton, ProgressBar, Icon };

// Control styles, combined as bits.
enum ControlStyle : uint32_t {
    kStyleNone = 0,
    kStyleTabStop = 1u << 0,
    kStyleGroup = 1u << 1,  // starts a group for the arrow keys
    kStyleRight = 1u << 2,
    kStyleCenter = 1u << 3,
    kStyleVCenter = 1u << 4,
    kStyleSunken = 1u << 5,  // sunken client edge
    kStyleStaticEdge = 1u << 6,
    kStyleBorder = 1u << 7,
    kStyleReadOnly = 1u << 8,
    kStyleAutoHScroll = 1u << 9,
    kStyleSmooth = 1u << 10,  // continuous progress bar
    kStyleDefaultButton = 1u << 11,
    kStyleDisabled = 1u << 12,
};

// Frame styles of the dialog itself.
enum DialogStyle : uint32_t {
    kDialogNone = 0,
    kDialogMinimizeBox = 1u << 0,
    kDialogSystemMenu = 1u << 1,
    kDialogCaption = 1u << 2,
    kDialogModalFrame = 1u << 3,
    kDialog3DLook = 1u << 4,
    kDialogAppWindow = 1u << 5,  // a taskbar button of its own
    kDialogStaticEdge = 1u << 6,
};

struct ControlTemplate {
    int id;  // -1: a control the program never addresses
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;  // dialog units
    uint32_t styles;
    int iconId;  // for ControlKind::Icon: the icon resource it shows
};

struct DialogTemplate {
    int id;
    const char* title;
    int cx, cy;  // client area in dialog units
    const char* fontFamily;
    int fontPointSize;
    uint32_t styles;
    std::span<const ControlTemplate> controls;
};

}  // namespace tern::platform
