// Stands in for the other build's program, which these machines cannot run when it is the
// 32-bit one: writes its command line and whether it was handed a start to the file
// TERN_STAND_IN_RECORD names, says so on both standard streams, and ends with the status
// TERN_STAND_IN_STATUS gives.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    const char* record = std::getenv("TERN_STAND_IN_RECORD");
    if (FILE* file = record ? std::fopen(record, "wb") : nullptr) {
        const wchar_t* line = GetCommandLineW();
        char text[8192] = {};
        WideCharToMultiByte(CP_UTF8, 0, line, -1, text, sizeof text - 1, nullptr, nullptr);
        std::fprintf(file, "%s\nhanded over: %s\n", text,
                     std::getenv("TERN_HANDED_OVER") ? "yes" : "no");
        std::fclose(file);
    }
    std::fputs("stand-in out\n", stdout);
    std::fputs("stand-in err\n", stderr);
    const char* status = std::getenv("TERN_STAND_IN_STATUS");
    return status ? std::atoi(status) : 0;
}
