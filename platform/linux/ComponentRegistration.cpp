#include "platform/linux/ComponentRegistration.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Guid.h"

namespace tern::platform {
namespace {

constexpr size_t kMaxRegistrationBytes = 4096;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

RegistrationRead ParseRegistration(const std::string& text) {
    std::optional<CLSID> clsid;
    std::string library;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            return {std::nullopt, "has a line that is not \"key = value\""};
        }
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (key == "class") {
            clsid = ParseGuid(value);
            if (!clsid) {
                return {std::nullopt, "names no class in the form {xxxxxxxx-xxxx-...}"};
            }
        } else if (key == "library") {
            library = value;
        }
    }
    if (!clsid || library.empty()) {
        return {std::nullopt, clsid ? "names no library" : "names no class"};
    }
    return {ComponentRegistration{*clsid, library}, {}};
}

RegistrationRead ReadRegistration(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return {std::nullopt, std::string("cannot be opened (") + std::strerror(errno) + ")"};
    }
    struct stat st;
    std::string text;
    const char* problem = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "is not a regular file";
    } else if (st.st_size > static_cast<off_t>(kMaxRegistrationBytes)) {
        problem = "is larger than a registration can be";
    } else {
        char buffer[kMaxRegistrationBytes + 1];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 || static_cast<size_t>(got) > kMaxRegistrationBytes) {
            problem = got < 0 ? "cannot be read" : "is larger than a registration can be";
        } else {
            text.assign(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    if (problem) {
        return {std::nullopt, problem};
    }
    return ParseRegistration(text);
}

std::string RegisteredLibraryPath(const std::string& folder, const std::string& library) {
    if (library.empty()) {
        return {};
    }
    if (library[0] == '/') {
        return library;
    }
    if (library.find('/') != std::string::npos || library == "." || library == "..") {
        return {};
    }
    return folder + "/" + library;
}

}  // namespace tern::platform
