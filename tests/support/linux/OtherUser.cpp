#include "tests/support/linux/OtherUser.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace tern::test {

bool CanActAsOtherUser() {
    return geteuid() == 0 && getpwnam(kOtherUserName) != nullptr && access(kSetpriv, X_OK) == 0;
}

uid_t OtherUserId() {
    const passwd* entry = getpwnam(kOtherUserName);
    return entry ? entry->pw_uid : static_cast<uid_t>(-1);
}

std::vector<std::string> AsOtherUser(const std::vector<std::string>& command) {
    const passwd* entry = getpwnam(kOtherUserName);
    const std::string gid = entry ? std::to_string(entry->pw_gid) : "65534";
    std::vector<std::string> args{"--reuid=" + std::string(kOtherUserName), "--regid=" + gid,
                                  "--clear-groups", "--"};
    args.insert(args.end(), command.begin(), command.end());
    return args;
}

void OpenToOtherUser(const std::string& folder, bool shared) {
    EXPECT_EQ(chmod(folder.c_str(), shared ? 01777 : 0711), 0) << folder;
}

}  // namespace tern::test
