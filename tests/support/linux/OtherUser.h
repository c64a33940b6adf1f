// Another local user, for tests of what other users can and cannot do to a person's program:
// commands run as `nobody` through setpriv, as a real second user would run them. Only root
// can become another user, so such tests skip elsewhere.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tern::test {

inline constexpr char kSetpriv[] = "/usr/bin/setpriv";
inline constexpr char kOtherUserName[] = "nobody";

// True when this process may run commands as the other user.
bool CanActAsOtherUser();
uid_t OtherUserId();

// The arguments for ChildProcess(kSetpriv, ...) that run `command` (a full path first) as
// the other user, with no groups of ours.
std::vector<std::string> AsOtherUser(const std::vector<std::string>& command);

// Lets the other user pass through `folder` (a test's private folder), or, with `shared`,
// also make files in it as in /tmp (world-writable, sticky).
void OpenToOtherUser(const std::string& folder, bool shared);

}  // namespace tern::test
