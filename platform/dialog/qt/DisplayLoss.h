// The display's loss on Qt. Qt ends the process itself when the window's connection to its
// display ends: on X11 it calls exit(), whose exit hooks and static destructors would run
// under a worker still writing firmware; QtWayland says so through the message handler and
// then calls _exit(), which runs no hook at all. A window destroyed by another client ends
// nothing: the process would stay, with no window, and keep the single-instance name.
//
// So the watched window's dialog is asked first, from whichever of these comes: an exit
// hook put ahead of everything made before it, Qt's message that the Wayland connection
// broke, and X11's notice that the window was destroyed. Its sends are abandoned, the
// dialog answers once its work has ended, and the process ends with that status at once.
#pragma once

namespace tern::platform {

class DialogWindow;

// Makes `window` the one whose dialog is asked, and puts the exit hook ahead of everything
// registered so far. On the window's thread.
void WatchForDisplayLoss(DialogWindow& window);
// No dialog is asked any more, if `window` was the one.
void StopWatchingForDisplayLoss(DialogWindow& window);

}  // namespace tern::platform
