// What tern-flash says when memory runs out where no report can carry it any more: written
// from fixed text, since nothing more can be allocated, as the last thing the program does.
// An install whose transfer has ended says the transfer's outcome first, and ends with its
// status: the device was written to whatever the report could still say.
#pragma once

namespace tern::cli {

// Called by install as soon as its transfer has ended, before anything is reported.
void NoteTransferEnded(bool succeeded);

// Writes the message (`json`: the command's document) and returns the exit status.
int ReportOutOfMemory(const char* command, bool json);

}  // namespace tern::cli
