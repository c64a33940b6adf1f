// Input as a person gives it: keys and clicks put into the system's input queue, which hands
// them to whichever window has the focus or lies under the pointer.
#pragma once

#include <windows.h>

#include <string>

namespace tern::test {

// A press and release of `key`, with Shift held around it when asked.
void SendKeyPress(WORD key, bool withShift = false);
// Each character of `text` (UTF-8, in any script) as a typed character.
void SendText(const std::string& text);
// A left click in the middle of `window`.
void SendClickOn(HWND window);

}  // namespace tern::test
