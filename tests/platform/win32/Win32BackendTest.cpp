// The Win32 backend on the system's own services: file access and its error mapping, the tick
// counter, thread priority and stack alignment, the install lock across processes, the console
// control handler and the request to stay awake. (The reader's errors for the same cases:
// SmfLoadFileTest.)
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <thread>

#include "platform/InstallLock.h"
#include "platform/InterruptWatcher.h"
#include "platform/ReadOnlyFile.h"
#include "platform/SleepInhibitor.h"
#include "platform/Terminal.h"
#include "platform/TickCount.h"
#include "platform/WorkerThread.h"
#include "samples/SmfWriter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Environment.h"
#include "tests/support/FileHolder.h"
#include "tests/support/TempDir.h"

namespace tern::platform {
namespace {

const samples::Bytes kOneTrack = samples::MakeSmf(0, 480, {{0x00, 0xFF, 0x2F, 0x00}});

TEST(Win32File, EachOpenFailureIsToldApart) {
    test::TempDir dir;
    const std::string file = dir.Write("present.mid", kOneTrack);
    struct Case {
        const char* name;
        std::string path;
        FileOpenResult result;
    };
    const Case cases[] = {
        {"missing file", dir.PathOf("absent.mid"), FileOpenResult::NotFound},
        {"missing folder", dir.PathOf("absent/x.mid"), FileOpenResult::PathNotFound},
        {"file used as a folder", file + "/x.mid", FileOpenResult::PathNotFound},
        {"folder", dir.Path(), FileOpenResult::IsDirectory},
        {"device", "NUL", FileOpenResult::NotRegularFile},
    };
    for (const Case& c : cases) {
        ReadOnlyFile f;
        EXPECT_EQ(f.Open(c.path), c.result) << c.name;
        EXPECT_FALSE(f.IsOpen()) << c.name;
    }
    ReadOnlyFile f;
    EXPECT_EQ(f.Open(file), FileOpenResult::Ok);
}

TEST(Win32File, APathTooLongIsAnOpenFailureOtherThanNotFound) {
    test::TempDir dir;
    const std::string path = dir.PathOf(std::string(MAX_PATH + 10, 'n'));
    ReadOnlyFile f;
    const FileOpenResult result = f.Open(path);
    EXPECT_NE(result, FileOpenResult::Ok);
    EXPECT_NE(result, FileOpenResult::NotFound);  // the reader's error 3, not 2
}

TEST(Win32File, AFileHeldOpenByAnotherOpenerIsInUseUntilClosed) {
    test::TempDir dir;
    const std::string path = dir.Write("held.mid", kOneTrack);
    test::FileHolder holder(path);
    ASSERT_TRUE(holder.Holding());
    ReadOnlyFile f;
    EXPECT_EQ(f.Open(path), FileOpenResult::InUse);

    holder.Release();
    ASSERT_EQ(f.Open(path), FileOpenResult::Ok);
    // While we hold it, no one else gets in, not even to read.
    const HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (other != INVALID_HANDLE_VALUE) {
        CloseHandle(other);
    }
}

TEST(Win32Clock, TheTickCounterIsTheSystemsAndMovesWithSleep) {
    const uint32_t ours = GetTickCount();
    const uint32_t system = ::GetTickCount();
    EXPECT_LE(system - ours, 20u);  // read one after the other
    const uint32_t start = GetTickCount();
    Sleep(100);
    const uint32_t elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 100u - 17u);  // the counter moves in steps of up to 16 ms
    EXPECT_LT(elapsed, 5000u);
}

TEST(Win32Thread, WorkersRunAtTheRequestedPriority) {
    struct Case {
        ThreadPriority asked;
        int expected;
    };
    for (const Case& c : {Case{ThreadPriority::Highest, THREAD_PRIORITY_HIGHEST},
                          Case{ThreadPriority::Normal, THREAD_PRIORITY_NORMAL}}) {
        std::atomic<int> seen{THREAD_PRIORITY_ERROR_RETURN};
        std::thread worker;
        ASSERT_TRUE(StartWorkerThread(worker, c.asked,
                                      [&seen] { seen = GetThreadPriority(GetCurrentThread()); }));
        worker.join();
        EXPECT_EQ(seen.load(), c.expected);
    }
}

// Code the system enters on a thread of its own (a console handler, a component's caller's
// thread) keeps the alignment its locals declare: a 32-bit thread may start 8 bytes off the
// 16-byte boundary the compiler would otherwise assume, and a 64-bit atomic on a misaligned
// stack is no longer atomic.
DWORD WINAPI RecordLocalAlignment(void* out) {
    alignas(16) volatile unsigned char block[16] = {};
    std::atomic<uint64_t> counter{0};
    counter.fetch_add(1);
    auto* addresses = static_cast<uintptr_t*>(out);
    addresses[0] = reinterpret_cast<uintptr_t>(&block[0]);
    addresses[1] = reinterpret_cast<uintptr_t>(&counter);
    block[0] = static_cast<unsigned char>(counter.load());
    return block[0];
}

TEST(Win32Thread, AThreadTheSystemStartsKeepsTheAlignmentItsLocalsDeclare) {
    uintptr_t addresses[2] = {1, 1};
    const HANDLE thread = CreateThread(nullptr, 0, RecordLocalAlignment, addresses, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(addresses[0] % 16, 0u) << "a 16-byte aligned local";
    EXPECT_EQ(addresses[1] % 8, 0u) << "a 64-bit atomic";
}

// The install lock's name for this test program, so parallel runs do not meet.
std::string TestLockName() {
    return "tern-test/win32-lock/" + std::to_string(test::ProcessId());
}

std::string ThisProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// Run only as the child of the test below: takes the lock named in TERN_INSTALL_LOCK, says
// so, and keeps it until it is killed.
TEST(Win32InstallLock, DISABLED_HoldUntilKilled) {
    InstallLock lock;
    ASSERT_TRUE(lock.TryAcquire().Taken());
    std::printf("holding\n");
    std::fflush(stdout);
    ::Sleep(60'000);
}

TEST(Win32InstallLock, IsOneGlobalMutexAcrossProcessesFreedWhenItsHolderDies) {
    test::SetEnv(kInstallLockVariable, TestLockName());
    const std::string global = "Global\\" + TestLockName();
    test::TempDir dir;
    {
        test::ChildProcess holder(
            ThisProgram(),
            {"--gtest_also_run_disabled_tests", "--gtest_filter=*DISABLED_HoldUntilKilled"},
            dir.PathOf("holder-err.txt"));
        ASSERT_TRUE(holder.WaitForOutput("holding")) << holder.Out();
        // The machine-wide namespace, where every session sees the same mutex.
        const HANDLE seen = OpenMutexA(SYNCHRONIZE, FALSE, global.c_str());
        EXPECT_NE(seen, nullptr);
        if (seen) {
            CloseHandle(seen);
        }
        InstallLock lock;
        EXPECT_FALSE(lock.TryAcquire().Taken());
        EXPECT_FALSE(lock.Held());
    }  // killed without releasing
    InstallLock lock;
    EXPECT_TRUE(lock.TryAcquire().Taken());
    EXPECT_TRUE(lock.Held());
    // One holder per process too: the mutex alone would let its owner thread in again.
    InstallLock second;
    EXPECT_FALSE(second.TryAcquire().Taken());
    lock.Release();
    EXPECT_FALSE(lock.Held());
    EXPECT_TRUE(second.TryAcquire().Taken());
    test::UnsetEnv(kInstallLockVariable);
}

// Ctrl+C and Ctrl+Break sent to this test program's own console.
class Win32Console : public testing::Test {
protected:
    static BOOL WINAPI Swallow(DWORD event) {
        return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    }

    void SetUp() override {
        FreeConsole();
        ASSERT_TRUE(AllocConsole());
        SetConsoleCtrlHandler(Swallow, TRUE);  // what the watcher does not take, this does
    }
    void TearDown() override { SetConsoleCtrlHandler(Swallow, FALSE); }

    // Waits for the console's thread to deliver an event.
    static bool WaitFor(const std::atomic<int>& count, int expected) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (count.load() < expected && std::chrono::steady_clock::now() < end) {
            ::Sleep(10);
        }
        return count.load() >= expected;
    }
};

TEST_F(Win32Console, CtrlCReachesTheHandlerAsSigintOnlyWhileWatched) {
    std::atomic<int> calls{0};
    std::atomic<int> lastSignal{0};
    {
        InterruptWatcher watcher([&](int signal) {
            lastSignal = signal;
            ++calls;
        });
        ASSERT_TRUE(watcher.Active());
        ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
        ASSERT_TRUE(WaitFor(calls, 1));
        EXPECT_EQ(lastSignal.load(), SIGINT);
        // A second watcher in the same process is refused; the first keeps working.
        InterruptWatcher second([](int) {});
        EXPECT_FALSE(second.Active());
    }
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    ::Sleep(300);
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(Win32Console, CtrlBreakReachesTheHandlerAsSigint) {
    std::atomic<int> calls{0};
    std::atomic<int> lastSignal{0};
    InterruptWatcher watcher([&](int signal) {
        lastSignal = signal;
        ++calls;
    });
    ASSERT_TRUE(watcher.Active());
    if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0)) {
        // Wine 8 refuses to generate Ctrl+Break (ERROR_INVALID_HANDLE); Windows does not.
        GTEST_SKIP() << "this system cannot send Ctrl+Break to a console, error " << GetLastError();
    }
    ASSERT_TRUE(WaitFor(calls, 1));
    EXPECT_EQ(lastSignal.load(), SIGINT);
}

TEST_F(Win32Console, OnlyAConsoleCountsAsATerminalForTheBar) {
    const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE file =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, file);
    EXPECT_FALSE(StandardOutputIsTerminal());
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);
    EXPECT_FALSE(StandardOutputIsTerminal());

    const HANDLE console =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    const bool isTerminal = StandardOutputIsTerminal();
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    CloseHandle(file);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    DWORD mode = 0;
    const bool consoleAnswers = GetConsoleMode(console, &mode) != 0;
    CloseHandle(console);
    if (!consoleAnswers) {
        // Wine's console without a terminal behind it has no output mode; one on a terminal has.
        GTEST_SKIP() << "this system's console gives its output no mode";
    }
    EXPECT_TRUE(isTerminal);
}

TEST(Win32SleepInhibitor, HoldsTheSystemAwakeOnTheRequestingThreadUntilReleased) {
    // Another request without ES_CONTINUOUS changes nothing and answers the current state.
    const auto current = [] { return SetThreadExecutionState(ES_SYSTEM_REQUIRED); };
    SleepInhibitor awake;
    const SleepInhibitResult result = awake.Take("tern-test", "a test transfer");
    ASSERT_TRUE(result.held) << result.reason;
    EXPECT_EQ(current() & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED),
              static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
    awake.Release();
    EXPECT_EQ(current() & ES_SYSTEM_REQUIRED, 0u);
}

}  // namespace
}  // namespace tern::platform
