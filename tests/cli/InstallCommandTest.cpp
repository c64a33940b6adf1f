// tern-flash install in-process against the simulator's scenarios: exit statuses and the
// system's texts, the install lock, interrupts, the plain progress output, that the dry run
// predicts exactly what a real install sends, and that a refused file sends nothing.
#include "cli/InstallCommand.h"

#include <csignal>

#include <gtest/gtest.h>

#include <algorithm>

#include "cli/ExitStatus.h"
#include "engine/DryRun.h"
#include "engine/WriteDigest.h"
#include "session/InstallSession.h"
#include "status/StatusCodes.h"
#include "tests/cli/InstallHarness.h"
#include "tests/engine/PlayCases.h"
#include "tests/support/TempDir.h"

namespace tern::test {
namespace {

using cli::kExitDeviceLink;
using cli::kExitFile;
using cli::kExitSuccess;
using cli::kExitTransfer;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

uint64_t DigestOf(const std::vector<CapturedWrite>& writes) {
    WriteDigest digest;
    for (const CapturedWrite& w : writes) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i + 1 < w.hex.size(); i += 2) {
            bytes.push_back(static_cast<uint8_t>(std::stoul(w.hex.substr(i, 2), nullptr, 16)));
        }
        EXPECT_EQ(bytes.size(), w.count);
        digest.Add(bytes.data(), w.count);
    }
    return digest.Value();
}

TEST_F(InstallTest, ExitStatusAndTextsFollowTheScenario) {
    TempDir dir;
    const std::string bad = dir.Write("bad.mid", samples::MakeHeader(3, 1, 480));
    struct Case {
        const char* scenario;
        std::string file;
        int status;
        std::vector<std::string> out;  // in this order
        std::string err;
        size_t writes;
        size_t failedWrites;
    };
    const std::string sample = m_sample;
    const Case cases[] = {
        {"",
         sample,
         kExitSuccess,
         {kTextSearching, "attempt 1: status 0 (firmware port open)", "Output port: FIRM",
          kTextInstalling, "Progress: 100%", kTextRebooting},
         "",
         67,
         0},
        // The listing at start is the bus's first call; attempt n makes call n + 1.
        {"appear_at = 4\n",
         sample,
         kExitSuccess,
         {"attempt 1: status 3 (FW device not found!!)", "attempt 2: status 3",
          "attempt 3: status 0", "Output port: FIRM", kTextRebooting},
         "",
         67,
         0},
        {"nodes =\n",
         sample,
         kExitDeviceLink,
         {kTextSearching, "attempt 11: status 3 (FW device not found!!)"},
         "FW device not found!!\n",
         0,
         0},
        {"create_fails = 1\n", sample, kExitDeviceLink, {}, "Can not get FW interface!!\n", 0, 0},
        {"write_fails_at = 3\n",
         sample,
         kExitTransfer,
         {kTextInstalling},
         "FW communication error!!\n",
         3,
         1},
        // The file is loaded first: one that does not load ends the run before the search.
        {"",
         bad,
         kExitFile,
         {},
         "File format error!! The header's format is 3; an update file's is 0, 1 or 2.\n",
         0,
         0},
        {"", dir.PathOf("absent.mid"), kExitFile, {}, "File not found!!\n", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scenario) + " " + c.file);
        m_env.SetScenario(c.scenario);
        const InstallResult r = Install(c.file);
        EXPECT_EQ(r.status, c.status);
        size_t at = 0;
        for (const std::string& part : c.out) {
            at = r.out.find(part, at);
            ASSERT_NE(at, std::string::npos) << "'" << part << "' missing or out of order in\n"
                                             << r.out;
        }
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.writes.size(), c.writes);
        size_t failed = 0;
        for (const CapturedWrite& w : r.writes) {
            failed += w.failed ? 1 : 0;
        }
        EXPECT_EQ(failed, c.failedWrites);
        EXPECT_FALSE(c.status == kExitFile && Has(r.out, kTextSearching)) << r.out;
        // Only the final outcome of the window's texts is ever shown.
        EXPECT_FALSE(Has(r.out, kTextRebooting) && c.status != kExitSuccess);
    }
}

TEST_F(InstallTest, WhatTheDryRunAcceptsInstallsAsPredictedAndWhatItRefusesWritesNothing) {
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> files = {{"the sample", m_sample}};
    int n = 0;
    for (const PlayCase& c : PlayCases()) {
        files.emplace_back(c.name, dir.Write("case" + std::to_string(++n) + ".mid", c.file));
    }
    for (const auto& [name, path] : files) {
        SCOPED_TRACE(name);
        auto player = std::make_unique<CVexDataPlay>();
        ASSERT_TRUE(player->LoadFile(path));
        const DryRunReport predicted = RunDryRun(*player);

        const InstallResult r = Install(path);
        if (!predicted.verdict.Accepted()) {
            // Refused before the lock and the bus: no search, no port, not a byte written.
            EXPECT_EQ(r.status, kExitFile);
            EXPECT_EQ(r.err, "File format error!! The file is refused: " +
                                 predicted.verdict.reason + ". Nothing was written.\n");
            EXPECT_FALSE(Has(r.out, kTextSearching)) << r.out;
            EXPECT_TRUE(r.writes.empty());
            continue;
        }
        EXPECT_EQ(r.status, kExitSuccess) << r.err;
        EXPECT_EQ(r.writes.size(), predicted.writes);
        EXPECT_EQ(DigestOf(r.writes), predicted.portDigest) << "other bytes or other pieces";
        EXPECT_TRUE(Has(r.out, "(the simulated bus: nothing reaches a real Ostrel)\n")) << r.out;
        EXPECT_TRUE(Has(r.out, kTextRebooting)) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(InstallTest, PlainProgressHasAtMostOneLinePerPercentEndingWithAllBytes) {
    const InstallResult r = Install(m_sample);
    ASSERT_EQ(r.status, kExitSuccess);
    std::vector<int> percents;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        int percent;
        if (std::sscanf(line.c_str(), "Progress: %d%%", &percent) == 1) {
            EXPECT_TRUE(percents.empty() || percent > percents.back()) << line;
            percents.push_back(percent);
        }
    }
    EXPECT_GT(percents.size(), 10u);
    EXPECT_TRUE(Has(r.out, "Progress: 100%  42864 / 42864 bytes  0 ms left\n")) << r.out;
    EXPECT_EQ(CountOf(r.out, "\r"), 0u);  // no bar when the output is not a terminal
}

TEST_F(InstallTest, OnATerminalTheProgressIsOneRedrawnBar) {
    const InstallResult r = Install(m_sample, cli::TerminalProgress::Style::Bar);
    ASSERT_EQ(r.status, kExitSuccess);
    EXPECT_GT(CountOf(r.out, "\r["), 10u);
    EXPECT_EQ(CountOf(r.out, "Progress:"), 0u);
    // The last bar, then the outcome on a line of its own. The bars come from looks at the
    // play, which skip what a look comes too late for (the last SysEx event and the end of
    // the track come at once): blanks cover what the line before left, and no more.
    const size_t last = r.out.rfind("\r[");
    const size_t before = r.out.rfind("\r[", last - 1);
    const size_t end = r.out.find('\n', last);
    ASSERT_TRUE(before != std::string::npos && end != std::string::npos) << r.out;
    const std::string bar = r.out.substr(last + 1, end - last - 1);
    const std::string previous = r.out.substr(before + 1, last - before - 1);
    const std::string full =
        "[##############################] 100%  42864 / 42864 bytes  0 ms left";
    EXPECT_EQ(bar.substr(0, full.size()), full) << r.out;
    EXPECT_EQ(bar.find_first_not_of(' ', full.size()), std::string::npos) << r.out;
    EXPECT_EQ(bar.size(), std::max(full.size(), previous.find_last_not_of(' ') + 1)) << r.out;
    EXPECT_EQ(r.out.substr(end + 1, std::string(kTextRebooting).size() + 1),
              std::string(kTextRebooting) + "\n")
        << r.out;
}

TEST_F(InstallTest, WhileAnotherInstallHoldsTheLockNothingIsTouched) {
    platform::InstallLock other;
    ASSERT_TRUE(other.TryAcquire().Taken());
    const InstallResult refused = Install(m_sample);
    EXPECT_EQ(refused.status, kExitDeviceLink);
    EXPECT_TRUE(Has(refused.err, "Another installation is running")) << refused.err;
    EXPECT_FALSE(Has(refused.out, kTextSearching)) << refused.out;  // not even a search
    EXPECT_TRUE(refused.writes.empty());

    other.Release();
    EXPECT_EQ(Install(m_sample).status, kExitSuccess);
    EXPECT_TRUE(other.TryAcquire().Taken()) << "the install kept the lock after it ended";
}

// What refused a run, in the window's short form and the terminal's long one.
TEST_F(InstallTest, EachRefusalNamesWhatRefusedInBothForms) {
    using Lock = platform::InstallLock;
    const std::string wait = ". Wait until it has ended, then try again.";
    struct Case {
        InstallSession::Begun begun;
        std::string shortText, longText;
    };
    InstallSession::Begun cpu;  // 13 s needed: the schedule, the time used and 11.1 s spare
    cpu.cpu = {{true, 2000, 500}, 1000, 12600};
    InstallSession::Begun covered = cpu;  // a limit just long enough lets the lock decide
    covered.cpu.neededMs = 2000;
    covered.lock = {Lock::Outcome::HeldByOther, "", 0, false, ""};
    const Case cases[] = {
        {cpu,
         "The CPU-time limit, 2 s, is too short for this transfer (13 s); nothing was written.",
         std::string("The CPU-time limit, 2 s (") + platform::CpuTimeLimitSetting() +
             "), is too short for this transfer: it needs 13 s of processor time (its 1.0 s "
             "schedule, which the transfer spends spinning, 0.5 s used so far and 11.1 s to "
             "spare). Raise the limit to at least that, then try again. Nothing was written."},
        {covered, "Another installation is running; nothing was written.",
         "Another installation is running on this machine" + wait},
        {{false, {}, {Lock::Outcome::HeldByOther, "nobody", 42, true, ""}, {}},
         "User nobody is installing; nothing was written.",
         "Another user's installation is running on this machine (user nobody, process 42)" + wait},
        {{false, {}, {Lock::Outcome::Unavailable, "", 0, false, "no folder"}, {}},
         "The install lock cannot be taken (no folder); nothing was written.",
         "The install lock cannot be taken: no folder. Nothing was written."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InstallSession::ShortRefusal(c.begun), c.shortText);
        EXPECT_EQ(InstallSession::LongRefusal(c.begun), c.longText);
    }
    // What a run of a 100 s schedule asks of the limit beyond the schedule and the time used:
    // 10 s and a tenth of the schedule, for the threads beside the transfer and the report.
    InstallSession session;
    const InstallSession::Begun begun = session.Begin(100000);
    EXPECT_EQ(begun.cpu.neededMs - begun.cpu.allowance.usedMs - begun.cpu.scheduleMs, 20000u);
}

TEST_F(InstallTest, AnInterruptBeforeThePlayEndsTheRunCleanly) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        // Discovery's first pause is the settle pause after the port has been opened.
        const InstallResult r =
            Install(m_sample, cli::TerminalProgress::Style::Lines,
                    [signal](HookClock& clock, HookedBuffer&, cli::InterruptGate& gate) {
                        clock.OnFirstSleep([&gate, signal] { gate.Interrupt(signal); });
                    });
        EXPECT_EQ(r.status, cli::kExitSignalBase + signal);
        EXPECT_TRUE(Has(r.err, "nothing was written")) << r.err;
        EXPECT_FALSE(Has(r.out, "Output port")) << "discovery went on after the stop";
        EXPECT_FALSE(Has(r.out, kTextInstalling));
        EXPECT_TRUE(r.writes.empty());
        // TearDown: the handles were released and the runtime closed.
    }
}

TEST_F(InstallTest, AnInterruptAfterDiscoveryStillEndsTheRunBeforeThePlay) {
    // Discovery has opened the port and says so as its last act.
    const InstallResult r =
        Install(m_sample, cli::TerminalProgress::Style::Lines,
                [](HookClock&, HookedBuffer& out, cli::InterruptGate& gate) {
                    out.onLine = [&gate, done = false](const std::string& text) mutable {
                        if (!done && text.find("Output port: ") != std::string::npos) {
                            done = true;
                            gate.Interrupt(SIGINT);
                        }
                    };
                });
    EXPECT_EQ(r.status, cli::kExitSignalBase + SIGINT);
    EXPECT_TRUE(Has(r.out, "Output port: FIRM"));
    EXPECT_FALSE(Has(r.out, kTextInstalling));
    EXPECT_TRUE(r.writes.empty());
}

}  // namespace
}  // namespace tern::test
