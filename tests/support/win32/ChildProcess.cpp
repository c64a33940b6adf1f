#include "tests/support/ChildProcess.h"

#include <windows.h>

#include <csignal>
#include <fstream>
#include <sstream>

namespace tern::test {
namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Ctrl+C reaches every process of a console. Children share this program's console, which
// is a fresh one of its own (not ctest's, nor the terminal's), and this program ignores what
// it sends them.
BOOL WINAPI IgnoreInterrupts(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

void UseOwnConsole() {
    static const bool ready = [] {
        FreeConsole();
        AllocConsole();
        SetConsoleCtrlHandler(IgnoreInterrupts, TRUE);
        return true;
    }();
    (void)ready;
}

// One argument as the C runtime's command-line parser reads it back.
std::string Quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

void ToNewlines(std::string& text) {
    size_t at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
        text.erase(at, 1);
    }
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& errPath)
    : m_errPath(errPath) {
    UseOwnConsole();
    std::string commandLine = Quoted(program);
    for (const std::string& a : args) {
        commandLine += " " + Quoted(a);
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        return;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = writeEnd;
    startup.hStdError = err;
    PROCESS_INFORMATION started{};
    const bool ok = err != INVALID_HANDLE_VALUE &&
                    CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &started);
    CloseHandle(writeEnd);  // the child's copy is the only writer left
    if (err != INVALID_HANDLE_VALUE) {
        CloseHandle(err);
    }
    if (in != INVALID_HANDLE_VALUE) {
        CloseHandle(in);
    }
    if (!ok) {
        CloseHandle(readEnd);
        return;
    }
    CloseHandle(started.hThread);
    m_process = reinterpret_cast<std::intptr_t>(started.hProcess);
    m_output = reinterpret_cast<std::intptr_t>(readEnd);
}

ChildProcess::~ChildProcess() {
    if (m_process != -1) {
        TerminateProcess(AsHandle(m_process), 1);
        WaitForSingleObject(AsHandle(m_process), INFINITE);
        CloseHandle(AsHandle(m_process));
    }
    if (m_output != -1) {
        CloseHandle(AsHandle(m_output));
    }
}

bool ChildProcess::ReadSome() {
    if (m_output == -1) {
        return false;
    }
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(AsHandle(m_output), buffer, sizeof buffer, &got, nullptr) || got == 0) {
        return false;  // ERROR_BROKEN_PIPE: the child has ended
    }
    m_out.append(buffer, got);
    ToNewlines(m_out);  // a pair split between two reads meets again here
    return true;
}

bool ChildProcess::WaitForOutput(const std::string& text) {
    while (m_out.find(text) == std::string::npos) {
        if (!ReadSome()) {
            return false;
        }
    }
    return true;
}

void ChildProcess::Signal(int signal) {
    if (m_process == -1) {
        return;
    }
    if (signal == SIGINT) {
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    } else {
        TerminateProcess(AsHandle(m_process), 128 + static_cast<UINT>(signal));
    }
}

int ChildProcess::Reaped(int raw) {
    CloseHandle(AsHandle(m_process));
    m_process = -1;
    std::ostringstream err;
    err << std::ifstream(m_errPath, std::ios::binary).rdbuf();
    m_err = err.str();
    ToNewlines(m_err);
    return raw;
}

int ChildProcess::Finish() {
    while (ReadSome()) {
    }
    if (m_process == -1 || WaitForSingleObject(AsHandle(m_process), INFINITE) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(AsHandle(m_process), &code);
    return Reaped(static_cast<int>(code));
}

int ChildProcess::WaitExit(std::chrono::milliseconds limit) {
    if (m_process == -1 ||
        WaitForSingleObject(AsHandle(m_process), static_cast<DWORD>(limit.count())) !=
            WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(AsHandle(m_process), &code);
    return Reaped(static_cast<int>(code));
}

}  // namespace tern::test
