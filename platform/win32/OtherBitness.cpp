// The registry's two views and the other build beside this one, read and started with the
// wide calls; the text they give is in the process's code page, as every other path of the
// program is (UTF-8 where the manifest's setting is honoured).
#include "platform/OtherBitness.h"

#include <windows.h>

#include "backend/CodePage.h"
#include "platform/Guid.h"

namespace tern::platform {
namespace {

// Marks a process that was handed a start, for itself and whatever it starts.
constexpr wchar_t kHandedOver[] = L"TERN_HANDED_OVER";

// Whether the system keeps a view for the other bitness: always beside a 64-bit process; for
// a 32-bit one only on 64-bit Windows, where it runs under WOW64.
bool SystemHasOtherView() {
    if (ProcessBits() == 64) {
        return true;
    }
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The library the class's InprocServer32 names in the view `view` (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY); empty when the view has none.
std::wstring ServerInView(const CLSID& clsid, REGSAM view) {
    const std::wstring key = Wide("CLSID\\" + FormatGuid(clsid) + "\\InprocServer32");
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) !=
        ERROR_SUCCESS) {
        return {};
    }
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = sizeof path - sizeof(wchar_t);
    const LSTATUS read =
        RegGetValueW(opened, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, path, &size);
    RegCloseKey(opened);
    return read == ERROR_SUCCESS ? std::wstring(path) : std::wstring();
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// This process's command line after the program's own name, which the system parses without
// escapes: a quoted name ends at the next quote, a bare one at the first blank.
const wchar_t* ArgumentsOf(const wchar_t* line) {
    if (*line == L'"') {
        for (++line; *line && *line != L'"'; ++line) {
        }
        return *line ? line + 1 : line;
    }
    while (*line && *line != L' ' && *line != L'\t') {
        ++line;
    }
    return line;
}

// The standard streams passed on as they are: a console, a pipe or a file.
void InheritStandardStreams(STARTUPINFOW& startup) {
    HANDLE* slots[] = {&startup.hStdInput, &startup.hStdOutput, &startup.hStdError};
    const DWORD streams[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int i = 0; i < 3; ++i) {
        *slots[i] = GetStdHandle(streams[i]);
        if (*slots[i] && *slots[i] != INVALID_HANDLE_VALUE) {
            SetHandleInformation(*slots[i], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        }
    }
    startup.dwFlags |= STARTF_USESTDHANDLES;
}

// While the other build runs, Ctrl+C and Ctrl+Break are its to act on: this process stays to
// pass its status on.
BOOL WINAPI LeaveInterruptsToTheOtherBuild(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

}  // namespace

std::vector<ViewRegistration> RegistrationsByView(const CLSID& clsid) {
    std::vector<ViewRegistration> views;
    const REGSAM own = ProcessBits() == 64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    if (const std::wstring library = ServerInView(clsid, own); !library.empty()) {
        views.push_back({ProcessBits(), Narrow(library)});
    }
    if (!SystemHasOtherView()) {
        return views;
    }
    const REGSAM other = own == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (const std::wstring library = ServerInView(clsid, other); !library.empty()) {
        views.push_back({ProcessBits() == 64 ? 32 : 64, Narrow(library)});
    }
    return views;
}

std::string OtherBuildProgram() {
    if (GetEnvironmentVariableW(kHandedOver, nullptr, 0) != 0 || !SystemHasOtherView()) {
        return {};
    }
    const std::wstring own = OwnPath();
    const size_t slash = own.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return {};
    }
    const std::wstring folder = own.substr(0, slash);
    const std::wstring name = own.substr(slash + 1);
    std::wstring other;
    if (ProcessBits() == 64) {
        other = folder + L"\\x86\\" + name;
    } else {
        const size_t parent = folder.find_last_of(L'\\');
        if (parent == std::wstring::npos ||
            CompareStringOrdinal(folder.c_str() + parent + 1, -1, L"x86", -1, TRUE) != CSTR_EQUAL) {
            return {};
        }
        other = folder.substr(0, parent) + L"\\" + name;
    }
    return IsFile(other) ? Narrow(other) : std::string();
}

std::optional<int> HandOver(const std::string& program, bool wait) {
    const std::wstring path = Wide(program);
    std::wstring line = L"\"" + path + L"\"" + ArgumentsOf(GetCommandLineW());
    SetEnvironmentVariableW(kHandedOver, L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    InheritStandardStreams(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &started)) {
        SetEnvironmentVariableW(kHandedOver, nullptr);
        return std::nullopt;
    }
    CloseHandle(started.hThread);
    DWORD status = 0;
    if (wait) {
        SetConsoleCtrlHandler(LeaveInterruptsToTheOtherBuild, TRUE);
        WaitForSingleObject(started.hProcess, INFINITE);
        GetExitCodeProcess(started.hProcess, &status);
    } else {
        // Its window may come to the front, as this program's own would have.
        AllowSetForegroundWindow(started.dwProcessId);
    }
    CloseHandle(started.hProcess);
    return static_cast<int>(status);
}

}  // namespace tern::platform
