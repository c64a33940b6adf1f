// Whether a file the program is about to run code from may be trusted: the file, after every
// link is followed, and each folder above it up to `/` must belong to root or to the user
// running the program and be writable by nobody else, except a root-owned folder with the
// sticky bit (as /tmp), where no one can replace another's entry. Then no other user can
// change what the path names between the check and its use.
#pragma once

#include <string>

namespace tern::platform {

struct TrustedPath {
    std::string path;    // the path with every link followed, to use instead of the one given
    std::string reason;  // empty when trusted; else why not, in a few words
};

// Checks the regular file `path` (with `folder`, a folder).
TrustedPath CheckTrusted(const std::string& path, bool folder = false);

}  // namespace tern::platform
