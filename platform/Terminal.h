// What tern-flash needs of the terminal it runs in: whether its output is one, how text in any
// script reaches it, and how it stands the terminal going away or its job being stopped.
#pragma once

namespace tern::platform {

// Whether the program's standard output is a terminal (Linux) or a console (Windows), where
// a line can be redrawn in place, rather than a file or a pipe.
bool StandardOutputIsTerminal();

// A reader of the output that has gone away (`| head`) makes a write fail instead of ending
// the process. Call before any other thread starts.
void IgnoreBrokenPipe();

// Whether the standard output is a pipe whose reader has closed it (`| head` took what it
// wanted): a write that failed there was not wanted, rather than lost.
bool StandardOutputReaderGone();

// Shows the UTF-8 text the program writes to std::cout and std::cerr as its characters where
// either stream is a console (Windows), whatever the console's code page; to a file or a pipe
// the bytes go unchanged. A terminal (Linux) takes UTF-8 as it is. Call once, before any
// output.
void ShowUtf8OnConsole();

// Stops the process as Ctrl+Z does, until the shell continues it (Linux); Windows has no
// such stop, and nothing happens there.
void StopAsJobControlWould();

}  // namespace tern::platform
