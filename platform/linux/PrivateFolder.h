// The user's own folder for the program's instance lock and endpoint: inside the user's
// runtime directory ($XDG_RUNTIME_DIR), or, without a usable one, a folder of our own in the
// temporary folder. Either way it belongs to this user and nobody else can enter it, so no
// other user can reach, take or squat on what lies inside.
#pragma once

#include <string>

namespace tern::platform {

struct PrivateFolder {
    std::string path;     // empty when no private folder can be had
    std::string problem;  // then: why, in one line
};

// Finds or makes the folder. Nothing found is trusted unless it is a real folder (not a
// link), owned by this user, with no access for group or others.
PrivateFolder UserPrivateFolder();

}  // namespace tern::platform
