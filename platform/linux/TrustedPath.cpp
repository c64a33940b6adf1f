#include "platform/linux/TrustedPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tern::platform {
namespace {

std::string OwnerProblem(const struct stat& st) {
    if (st.st_uid == 0 || st.st_uid == geteuid()) {
        return {};
    }
    return "belongs to user " + std::to_string(st.st_uid) +
           ", neither root nor the user running the program";
}

// What makes one link-free entry untrustworthy; empty when nothing does.
std::string EntryProblem(const struct stat& st, bool folder) {
    if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) {
        return folder ? "is not a folder" : "is not a regular file";
    }
    if (std::string owner = OwnerProblem(st); !owner.empty()) {
        return owner;
    }
    const bool sharedSticky = folder && st.st_uid == 0 && (st.st_mode & S_ISVTX);
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !sharedSticky) {
        return "is writable by other users";
    }
    return {};
}

}  // namespace

TrustedPath CheckTrusted(const std::string& path, bool folder) {
    TrustedPath result;
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) {
        result.reason = path + ": " + std::strerror(errno);
        return result;
    }
    result.path = resolved;
    std::string current = result.path;
    bool isFolder = folder;
    for (;;) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0) {
            result.reason = current + ": " + std::strerror(errno);
            return result;
        }
        if (std::string problem = EntryProblem(st, isFolder); !problem.empty()) {
            result.reason = current == path ? current + " " + problem
                                            : current + " (for " + path + ") " + problem;
            return result;
        }
        if (current == "/") {
            return result;
        }
        const size_t slash = current.find_last_of('/');
        current = slash == 0 ? "/" : current.substr(0, slash);
        isFolder = true;
    }
}

}  // namespace tern::platform
