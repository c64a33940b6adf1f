// The real tern-flash program: its command line, exit statuses of each command against the
// simulator, the install lock across processes, and Ctrl+C as a user sends it. An install
// waits out discovery's two-second settle pause in real time, so there are only a few.
#include <csignal>
#include <set>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/ExitStatus.h"
#include "platform/InstallLock.h"
#include "samples/SmfWriter.h"
#include "status/StatusCodes.h"
#include "tests/cli/InstallHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SimulatorLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextLines.h"

namespace tern::test {
namespace {

using samples::TrackWriter;

class TernFlashProcess : public InstallTest {
protected:
    // The child inherits this process's variables: the component folder, the scenario and
    // the install lock's name.
    ChildProcess Run(const std::vector<std::string>& args) {
        return ChildProcess(TERN_FLASH_EXE, args, m_dir.PathOf("stderr.txt"));
    }

    // The small file in a new folder named `folder` ("" for none).
    std::string SmallIn(const std::string& folder) const {
        const samples::Bytes small = samples::MakeSmf(
            0, 480, {TrackWriter().SysEx(0, {0x01, 0x02}).SysEx(48, {0x03}).EndOfTrack().Events()});
        if (folder.empty()) {
            return m_dir.Write("small.mid", small);
        }
        m_dir.Folder(folder);
        return m_dir.Write(folder + "/small.mid", small);
    }

    const std::string m_small = SmallIn("");
    // In folders named in two other scripts, Chinese and Cyrillic.
    const std::string m_chinese = SmallIn("固件");
    const std::string m_cyrillic = SmallIn("Прошивка");
    // One track chunk more than an update file may have.
    const std::string m_seventeen =
        m_dir.Write("seventeen.mid",
                    samples::MakeSmf(1, 480, std::vector(17, TrackWriter().EndOfTrack().Events())));
};

constexpr char kTooManyTracks[] =
    "File format error!! The header names 17 track chunks; an update file has 1 to 16.";

TEST_F(TernFlashProcess, ExitStatusesFollowTheOutcome) {
    const std::string failing = m_dir.Write(
        "failing.mid", samples::MakeSmf(0, 480, {TrackWriter().SysEx(0, {0x01}).Events()}));
    struct Case {
        const char* scenario;
        std::vector<std::string> args;
        int status;
        std::string inOut;
        std::string inErr;
    };
    const Case cases[] = {
        {"", {}, cli::kExitUsage, "", "subcommand is required"},
        {"", {"frobnicate"}, cli::kExitUsage, "", ""},
        {"", {"check"}, cli::kExitUsage, "", "FILE"},
        {"", {"install"}, cli::kExitUsage, "", "FILE"},
        {"", {"check", "a.mid", "b.mid"}, cli::kExitUsage, "", ""},
        {"", {"list", "extra"}, cli::kExitUsage, "", ""},
        {"", {"--help"}, cli::kExitSuccess, "install", ""},
        {"", {"list", "--help"}, cli::kExitSuccess, "List the bus nodes", ""},
        {"", {"check", "--help"}, cli::kExitSuccess, "play it dry", ""},
        {"", {"install", "--help"}, cli::kExitSuccess, "Ctrl+C", ""},
        {"", {"--version"}, cli::kExitSuccess, "tern-flash 1.0.0\n", ""},
        {"", {"list"}, cli::kExitSuccess, "FIRM (0x4649524D), firmware port", ""},
        {"create_fails = 1\n", {"list"}, cli::kExitDeviceLink, "", "Can not get FW interface!!"},
        {"", {"check", m_dir.PathOf("no/such.mid")}, cli::kExitFile, "", "could not be opened"},
        // A path from the root is a path on every platform, never a "/option".
        {"",
         {"check", "/nonexistent-tern-folder/x.mid"},
         cli::kExitFile,
         "",
         "could not be opened"},
        {"", {"check", m_small}, cli::kExitSuccess, kTextRebooting, ""},
        {"", {"check", m_seventeen}, cli::kExitFile, "", kTooManyTracks},
        {"", {"install", m_seventeen}, cli::kExitFile, "", kTooManyTracks},
        {"",
         {"check", failing},
         cli::kExitFile,
         "Reason:       event 2 at offset 12",
         "File format error!! The file is refused: the transfer would fail: event 2 at offset 12"},
        {"", {"install", failing}, cli::kExitFile, "", "Nothing was written."},
        {"", {"install", m_small}, cli::kExitSuccess, kTextRebooting, ""},
        // A path in any script is opened, and named as it was given.
        {"", {"check", m_chinese}, cli::kExitSuccess, "File:     " + m_chinese + "\n", ""},
        {"", {"check", m_cyrillic}, cli::kExitSuccess, "File:     " + m_cyrillic + "\n", ""},
        {"", {"install", m_chinese}, cli::kExitSuccess, "File: " + m_chinese + " (", ""},
        {"", {"install", m_cyrillic}, cli::kExitSuccess, "File: " + m_cyrillic + " (", ""},
        {"", {"check", m_dir.PathOf("固件/no.mid")}, cli::kExitFile, "", "File not found!!"},
        // A digest that is not 64 hex digits is the command line's fault; another file's
        // is the file's, and nothing is looked for on the bus.
        {"",
         {"install", "--sha256", std::string(63, 'a'), m_small},
         cli::kExitUsage,
         "",
         "--sha256"},
        {"",
         {"install", "--sha256", std::string(63, 'a') + "g", m_small},
         cli::kExitUsage,
         "",
         "64 hex digits"},
        {"", {"install", "--sha256", "", m_small}, cli::kExitUsage, "", "64 hex digits"},
        {"create_fails = 1\n",
         {"install", "--sha256", std::string(64, 'A'), m_small},
         cli::kExitFile,
         "",
         "SHA-256 mismatch: expected " + std::string(64, 'a') + ", the file has "},
        {"", {"check", m_small}, cli::kExitSuccess, "\nSHA-256: ", ""},
        {"create_fails = 1\n",
         {"install", m_small},
         cli::kExitDeviceLink,
         "",
         "Can not get FW interface!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " " + c.scenario);
        m_env.SetScenario(c.scenario);
        ChildProcess child = Run(c.args);
        EXPECT_EQ(child.Finish(), c.status) << child.Out() << child.Err();
        EXPECT_NE(child.Out().find(c.inOut), std::string::npos) << child.Out();
        EXPECT_NE(child.Err().find(c.inErr), std::string::npos) << child.Err();
    }
}

TEST_F(TernFlashProcess, WithJsonStandardOutputIsOneDocumentAndNothingElseChanges) {
    const std::string bad = m_dir.Write("bad.mid", samples::MakeHeader(3, 1, 480));
    const std::string failing = m_dir.Write(
        "failing.mid", samples::MakeSmf(0, 480, {TrackWriter().SysEx(0, {0x01}).Events()}));
    struct Case {
        const char* scenario;
        std::vector<std::string> args;  // without "--json"
        bool jsonFirst;                 // "--json" before the subcommand, else at the end
        int status;
        const char* pointer;  // a value the document holds
        nlohmann::json value;
        std::string components;  // TERN_COMPONENT_PATH; empty: the build's component folder
    };
    std::vector<Case> cases = {
        {"", {"list"}, true, cli::kExitSuccess, "/nodes/0/ports/1/firmware_port", true, ""},
        {"", {"list"}, false, cli::kExitSuccess, "/nodes/0/ports/1/tag", "FIRM", ""},
        {"create_fails = 1\n", {"list"}, false, cli::kExitDeviceLink, "/nodes", nullptr, ""},
        {"", {"check", m_sample}, false, cli::kExitSuccess, "/dry_run/writes", 67, ""},
        {"", {"check", m_chinese}, false, cli::kExitSuccess, "/path", m_chinese, ""},
        {"", {"install", m_cyrillic}, true, cli::kExitSuccess, "/path", m_cyrillic, ""},
        {"", {"check", bad}, true, cli::kExitFile, "/file", nullptr, ""},
        {"", {"check", m_seventeen}, false, cli::kExitFile, "/error/message", kTooManyTracks, ""},
        {"", {"check", failing}, false, cli::kExitFile, "/dry_run/failure/event", 2, ""},
        {"", {"install", m_small}, true, cli::kExitSuccess, "/install/outcome/status", 255, ""},
        {"write_fails_at = 1\n",
         {"install", m_small},
         false,
         cli::kExitTransfer,
         "/install/outcome/message",
         "FW communication error!!",
         ""},
        {"create_fails = 1\n",
         {"install", m_small},
         true,
         cli::kExitDeviceLink,
         "/discovery/failure",
         "Can not get FW interface!!",
         ""},
    };
#ifndef _WIN32
    // No plug-in serves the device link's class: no component at all.
    for (const char* command : {"list", "install"}) {
        cases.push_back({"",
                         command == std::string("list")
                             ? std::vector<std::string>{"list"}
                             : std::vector<std::string>{"install", m_small},
                         false, cli::kExitDeviceLink, "/error/message",
                         "Can not get FW interface!!", TERN_TEST_COMPONENT_DIR});
    }
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " " + c.scenario + c.components);
        m_env.SetScenario(c.scenario);
        UseComponentFolders(c.components);
        std::vector<std::string> jsonArgs = c.args;
        jsonArgs.insert(c.jsonFirst ? jsonArgs.begin() : jsonArgs.end(), "--json");
        ChildProcess text = Run(c.args);
        const int textStatus = text.Finish();
        ChildProcess json = Run(jsonArgs);
        const int jsonStatus = json.Finish();
        UseComponentFolders("");

        EXPECT_EQ(textStatus, c.status) << text.Err();
        EXPECT_EQ(jsonStatus, c.status) << json.Err();
        EXPECT_EQ(json.Err(), text.Err());
        const nlohmann::json doc = nlohmann::json::parse(json.Out(), nullptr, false);
        ASSERT_FALSE(doc.is_discarded()) << "not one JSON document:\n" << json.Out();
        EXPECT_EQ(doc["command"], c.args[0]);
        EXPECT_EQ(doc["exit_status"], c.status);
        EXPECT_EQ(doc[nlohmann::json::json_pointer(c.pointer)], c.value) << doc;
        EXPECT_EQ(doc["ok"], c.status == cli::kExitSuccess);
        // What failed is what the error stream said last (a predicted failure of check is a
        // result, and says nothing there).
        if (const std::vector<std::string> errLines = Lines(json.Err());
            c.status != cli::kExitSuccess && !errLines.empty()) {
            EXPECT_EQ(doc["error"]["message"], errLines.back());
        }
    }
}

TEST_F(TernFlashProcess, UsageErrorsWithJsonPrintTheErrorDocument) {
    struct Case {
        std::vector<std::string> args;  // with "--json"
        nlohmann::json command;         // the subcommand the parse reached, if any
        std::string named = "";         // what the message must name
    };
    const Case cases[] = {
        {{"--json"}, nullptr},
        {{"--json", "check"}, "check"},
        {{"install", "--json"}, "install"},
        {{"--json", "frobnicate"}, nullptr},
        {{"--json", "list", "extra"}, "list"},
        {{"install", "--sha256", std::string(63, 'a') + "g", m_small, "--json"}, "install"},
        // "--" ends the subcommand, which takes no more operands; the flag follows.
        {{"check", m_small, "--", "--json", "extra"}, "check"},
        // An unknown option is named, not the operand it stood in for.
        {{"check", "--bogus", "--json"}, "check", "--bogus"},
        {{"--json", "check", "--bogus"}, "check", "--bogus"},
        {{"check", m_small, "--bogus", "--json"}, "check", "--bogus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> textArgs = c.args;
        std::erase(textArgs, "--json");
        ChildProcess text = Run(textArgs);
        EXPECT_EQ(text.Finish(), cli::kExitUsage);
        ChildProcess json = Run(c.args);
        EXPECT_EQ(json.Finish(), cli::kExitUsage);
        EXPECT_EQ(text.Out(), "");
        EXPECT_EQ(json.Err(), text.Err());
        EXPECT_NE(json.Err().find("--help"), std::string::npos) << json.Err();
        const nlohmann::json doc = nlohmann::json::parse(json.Out(), nullptr, false);
        ASSERT_FALSE(doc.is_discarded()) << "not one JSON document:\n" << json.Out();
        EXPECT_EQ(doc["command"], c.command);
        EXPECT_EQ(doc["ok"], false);
        EXPECT_EQ(doc["exit_status"], cli::kExitUsage);
        EXPECT_EQ(doc["error"]["status"], cli::kExitUsage);
        EXPECT_EQ(doc["error"]["message"], json.Err().substr(0, json.Err().find('\n')));
        EXPECT_NE(doc["error"]["message"].get<std::string>().find(c.named), std::string::npos);
    }
    // Before any command, "--" makes it an operand, not the flag.
    ChildProcess operand = Run({"--", "--json"});
    EXPECT_EQ(operand.Finish(), cli::kExitUsage);
    EXPECT_EQ(operand.Out(), "");
    // Help and version are not errors: their text, and no document.
    ChildProcess help = Run({"--json", "--help"});
    EXPECT_EQ(help.Finish(), cli::kExitSuccess);
    EXPECT_NE(help.Out().find("--json"), std::string::npos) << help.Out();
    EXPECT_NE(help.Out().find("Print one JSON document on standard output instead of text"),
              std::string::npos)
        << help.Out();
    EXPECT_EQ(help.Out().find('{'), std::string::npos) << help.Out();
    ChildProcess version = Run({"install", "--json", "--version"});
    EXPECT_EQ(version.Finish(), cli::kExitSuccess);
    EXPECT_EQ(version.Out(), "tern-flash 1.0.0\n");
}

#ifndef _WIN32
// What the system refuses a whole process, made real in the shell that starts it: its
// standard output (/dev/full), and descriptors (a limit of open files, after the shell has
// closed what this test process leaves open).
class TernFlashLimits : public TernFlashProcess {
protected:
    ChildProcess Shell(const std::string& script, std::vector<std::string> args) {
        args.insert(args.begin(), {"-c",
                                   "for fd in /proc/$$/fd/*; do n=${fd##*/}; "
                                   "[ \"$n\" -gt 2 ] && eval \"exec $n>&-\"; done; " +
                                       script + "; exec \"$0\" \"$@\"",
                                   TERN_FLASH_EXE});
        return ChildProcess("/bin/bash", args, m_dir.PathOf("stderr.txt"));
    }
};

TEST_F(TernFlashLimits, OutputThatCannotBeWrittenEndsWithItsOwnStatus) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string inErr;
    };
    const std::string unwritten = "Standard output could not be written";
    const Case cases[] = {
        {{"check", m_small, "--json"}, cli::kExitOutput, unwritten},
        {{"check", m_small}, cli::kExitOutput, unwritten},
        {{"list"}, cli::kExitOutput, unwritten},
        {{"--help"}, cli::kExitOutput, unwritten},
        {{"install", m_small, "--json"}, cli::kExitOutput, unwritten},
        // A command that failed keeps its own status.
        {{"check", m_seventeen, "--json"}, cli::kExitFile, kTooManyTracks},
        {{"check", "--bogus", "--json"}, cli::kExitUsage, "--bogus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        ChildProcess child = Shell("exec >/dev/full", c.args);
        EXPECT_EQ(child.Finish(), c.status) << child.Err();
        EXPECT_NE(child.Err().find(c.inErr), std::string::npos) << child.Err();
        EXPECT_EQ(child.Err().find(unwritten) != std::string::npos, c.status == cli::kExitOutput);
    }
}

// The sanitizers' runtimes need descriptors and address space of their own beyond such limits,
// and report their own failures there.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(TernFlashLimits, RunningOutOfDescriptorsIsNamedAtTheStepItHits) {
    // From a limit too low for the install to get anywhere up to the one it gets through
    // with: every refusal on the way names the cause, with the status of the step it hit.
    std::set<int> statuses;
    int limit = 4;
    for (; limit <= 32; ++limit) {
        SCOPED_TRACE(limit);
        ChildProcess child = Shell("ulimit -n " + std::to_string(limit), {"install", m_small});
        const int status = child.Finish();
        if (status == cli::kExitSuccess) {
            break;
        }
        EXPECT_TRUE(status == cli::kExitFile || status == cli::kExitDeviceLink) << child.Err();
        const std::vector<std::string> err = Lines(child.Err());
        ASSERT_FALSE(err.empty());
        EXPECT_NE(err.back().find("too many open files"), std::string::npos) << child.Err();
        EXPECT_EQ(child.Err().find(MessageText(kMsgNoInterface)), std::string::npos);
        statuses.insert(status);
    }
    EXPECT_LE(limit, 32) << "the install never got through";
    EXPECT_EQ(statuses, (std::set<int>{cli::kExitFile, cli::kExitDeviceLink}));
}

TEST_F(TernFlashLimits, RunningOutOfMemoryEndsWithItsOutcomeAndWritesNothingBefore) {
    // From a limit too low for the install to get anywhere up to the one it gets through
    // with: every run on the way ends with a status of its own, a document and nothing
    // written; none ends by an exception or a signal.
    constexpr int kStepKiB = 512;
    std::set<int> statuses;
    int limitKiB = 16 * 1024;
    for (; limitKiB <= 96 * 1024; limitKiB += kStepKiB) {
        SCOPED_TRACE(limitKiB);
        const std::string capture = m_env.CaptureToFile();
        ChildProcess child =
            Shell("ulimit -v " + std::to_string(limitKiB), {"install", m_small, "--json"});
        const int status = child.Finish();
        if (status == cli::kExitSuccess) {
            break;
        }
        EXPECT_TRUE(status == cli::kExitDeviceLink || status == cli::kExitResources) << child.Err();
        EXPECT_TRUE(ReadCapture(capture).empty());
        const auto doc = nlohmann::json::parse(child.Out(), nullptr, false);
        ASSERT_FALSE(doc.is_discarded()) << child.Out();
        EXPECT_EQ(doc["exit_status"], status);
        EXPECT_NE(child.Err().find("memory"), std::string::npos) << child.Err();
        statuses.insert(status);
    }
    EXPECT_LE(limitKiB, 96 * 1024) << "the install never got through";
    // The transfer's own refusal is among them: the reserve is taken before the first write.
    EXPECT_EQ(statuses.count(cli::kExitResources), 1u);
}
#endif
#endif

TEST_F(TernFlashProcess, RefusesWhileAnotherProcessHoldsTheInstallLock) {
    platform::InstallLock held;
    ASSERT_TRUE(held.TryAcquire().Taken());
    ChildProcess child = Run({"install", m_small});
    EXPECT_EQ(child.Finish(), cli::kExitDeviceLink);
    EXPECT_NE(child.Err().find("Another installation is running"), std::string::npos);
    EXPECT_EQ(child.Out().find(kTextSearching), std::string::npos) << child.Out();
}

TEST_F(TernFlashProcess, CtrlCBeforeTheTransferEndsTheProgram) {
    m_env.SetScenario("nodes =\n");  // eleven attempts a second apart: time to interrupt
    ChildProcess child = Run({"install", m_small});
    ASSERT_TRUE(child.WaitForOutput("attempt 1:")) << child.Out();
    child.Signal(SIGINT);
    EXPECT_EQ(child.Finish(), cli::kExitSignalBase + SIGINT);
    EXPECT_NE(child.Err().find("nothing was written"), std::string::npos) << child.Err();
    EXPECT_EQ(child.Out().find("attempt 11"), std::string::npos) << "discovery was not stopped";
}

TEST_F(TernFlashProcess, CtrlCDuringTheTransferIsHeldUntilItEnds) {
    // The second message is due 1.5 s after the first: the play is still running when the
    // signal comes.
    const std::string slow = m_dir.Write(
        "slow.mid",
        samples::MakeSmf(
            0, 480, {TrackWriter().SysEx(0, {0x01}).SysEx(1440, {0x02}).EndOfTrack().Events()}));
    ChildProcess child = Run({"install", slow});
    ASSERT_TRUE(child.WaitForOutput("Progress:")) << child.Out();
    child.Signal(SIGINT);
    EXPECT_EQ(child.Finish(), cli::kExitSignalBase + SIGINT) << child.Err();
    EXPECT_NE(child.Err().find("Interrupt refused"), std::string::npos) << child.Err();
    EXPECT_NE(child.Err().find("came during the transfer and was held"), std::string::npos)
        << child.Err();
    EXPECT_NE(child.Out().find(kTextRebooting), std::string::npos) << child.Out();
}

}  // namespace
}  // namespace tern::test
