// A library planted where the programs must not look: loading it, under whatever name, runs
// its constructor, which leaves a mark in the file TERN_TEST_MARK names. It serves nothing.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

__attribute__((constructor)) static void LeaveMark() {
    if (const char* path = std::getenv("TERN_TEST_MARK")) {
        const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
        }
    }
}
