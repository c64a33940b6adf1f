// Where the process looks for a library it or the system loads by a bare name. The programs
// may run as an administrator: a library planted in the current folder or in a folder on PATH
// under a name something loads (the device link's registered server, a system library some
// system component asks for) would run with those rights. Each program calls this first, before
// anything that could load a library.
//
// Windows: only the program's own folder and the system folder are searched, and the current
// folder leaves the legacy search too. The call exists from Windows 8 on, and on Windows 7 with
// the loader update KB2533623; without it the program does not go on.
// Linux: nothing to do: the dynamic loader never looks in the current folder or on PATH, and
// components are loaded only by the path the registry names.
#pragma once

namespace tern::platform {

// False when the search could not be restricted: the program must then end.
bool RestrictLibrarySearch();

// What a program that cannot restrict the search says before it ends.
inline constexpr char kLibrarySearchRefused[] =
    "This system cannot keep libraries in the current folder or on PATH out of the program "
    "(Windows 7 needs update KB2533623): not started.";

}  // namespace tern::platform
