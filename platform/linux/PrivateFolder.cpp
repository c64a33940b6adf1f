#include "platform/linux/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tern::platform {
namespace {

constexpr mode_t kPrivateMode = 0700;
constexpr char kFolderName[] = "tern-update";

// Empty when `path` is a folder this user alone may use; else what is wrong with it.
std::string Untrusted(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        return path + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return path + " is not a folder";
    }
    if (st.st_uid != geteuid()) {
        return path + " belongs to another user";
    }
    if ((st.st_mode & 077) != 0) {
        return path + " is open to other users";
    }
    return {};
}

// Makes `path` private to this user if missing, then checks whatever is there.
std::string MakeOrCheck(const std::string& path) {
    if (mkdir(path.c_str(), kPrivateMode) != 0 && errno != EEXIST) {
        return path + ": " + std::strerror(errno);
    }
    return Untrusted(path);
}

}  // namespace

PrivateFolder UserPrivateFolder() {
    // The runtime directory is the system's own per-user folder; it is used only when it
    // looks the way the system makes it.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && Untrusted(runtime).empty()) {
        const std::string path = std::string(runtime) + "/" + kFolderName;
        if (MakeOrCheck(path).empty()) {
            return {path, {}};
        }
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::string base = temporary && *temporary == '/' ? temporary : "/tmp";
    const std::string path = base + "/" + kFolderName + "-" + std::to_string(geteuid());
    std::string problem = MakeOrCheck(path);
    if (!problem.empty()) {
        return {{}, problem};
    }
    return {path, {}};
}

}  // namespace tern::platform
