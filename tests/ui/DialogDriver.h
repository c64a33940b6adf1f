// What the dialog tests do to a window, the same on both dialog backends: keys and clicks
// through the window system, serving the window's thread, and reading back what the window
// system shows. Each backend has its own implementation (tests/ui/<backend>/).
#pragma once

#include <functional>
#include <string>

#include "platform/dialog/Dialog.h"

namespace tern::test {

enum class Key {
    Tab,
    ShiftTab,
    Left,
    Up,
    Right,
    Down,
    Return,
    KeypadEnter,
    Escape,
    Space,
    A,
    Z,
    Digit5,
    Delete,
    Home,
    F1,
    Backspace,
};

// Serves what waits for the window's thread (input, paints, sends from workers) once.
void ServeEvents();

// Makes `dialog` the active window; false when it is not active within a few seconds.
bool Activate(platform::CDialog& dialog);

// A key press and release, delivered where the keyboard focus is.
void PressKey(platform::CDialog& dialog, Key key);

// A click of the left mouse button on control `id`.
void Click(platform::CDialog& dialog, int id);

// Asks the dialog to close as its title bar's close box does.
void PressCloseBox(platform::CDialog& dialog);

// Whether the dialog is on screen, and the result its run ended with.
bool IsShown(const platform::CDialog& dialog);
int EndResult(const platform::CDialog& dialog);
std::string TitleOf(const platform::CDialog& dialog);

// The colour the window system fills control `id`'s text background with.
platform::ColorRef TextBackgroundOf(platform::CDialog& dialog, int id);

// Runs `fn` on the window's thread after `ms` milliseconds, from whichever event loop runs
// there then, nested modal ones included.
void RunOnWindowThreadAfter(int ms, std::function<void()> fn);

}  // namespace tern::test
