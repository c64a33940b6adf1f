// tern-flash check, through its function and through the executable's exit statuses.
#include "cli/CheckCommand.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

#include "cli/ExitStatus.h"
#include "samples/SmfWriter.h"
#include "tests/support/TempDir.h"

namespace tern::cli {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Check(const std::string& path) {
    std::ostringstream out, err;
    const int status = RunCheck(path, out, err);
    return {status, out.str(), err.str()};
}

TEST(CheckCommand, ASampleFilePrintsItsHeaderAndTrackTable) {
    const Outcome o = Check(TERN_SAMPLE_FIRMWARE);
    EXPECT_EQ(o.status, kExitSuccess);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("Format:   0\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("Tracks:   1\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("Division: 480 ticks"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("    0        14"), std::string::npos) << o.out;
}

TEST(CheckCommand, LoadFailuresPrintTheDialogsMessageAndExitWithFileStatus) {
    test::TempDir dir;
    struct Case {
        std::string path;
        std::string err;
    };
    const Case cases[] = {
        {dir.PathOf("absent.mid"), "File not found!!\n"},
        {dir.Write("empty.mid", {}), "File format error!!\n"},
        {dir.Write("bad.mid", samples::MakeHeader(3, 1, 480)), "File format error!!\n"},
        // The dialog clears its status line here; the terminal gets the reason.
        {dir.Path(), "The file could not be opened: the path names a folder.\n"},
        {dir.PathOf("no/such.mid"),
         "The file could not be opened: a folder on the path does not exist.\n"},
    };
    for (const Case& c : cases) {
        const Outcome o = Check(c.path);
        EXPECT_EQ(o.status, kExitFile) << c.path;
        EXPECT_EQ(o.err, c.err) << c.path;
        EXPECT_EQ(o.out, "") << c.path;
    }
}

Outcome RunTool(const std::string& args) {
    const std::string command = std::string("'") + TERN_FLASH_EXE + "' " + args + " 2>&1";
    Outcome o{-1, "", ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return o;
    }
    std::array<char, 4096> chunk{};
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        o.out.append(chunk.data(), got);
    }
    const int raw = pclose(pipe);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return o;
}

TEST(TernFlashExecutable, ExitStatusesFollowTheOutcome) {
    struct Case {
        std::string args;
        int status;
        std::string expectInOutput;
    };
    const Case cases[] = {
        {"", kExitUsage, "subcommand is required"},
        {"frobnicate", kExitUsage, ""},
        {"check", kExitUsage, "FILE"},
        {"check a.mid b.mid", kExitUsage, ""},
        {"--help", kExitSuccess, "check"},
        {"--version", kExitSuccess, "tern-flash 1.0.0"},
        {"check /nonexistent-tern-folder/x.mid", kExitFile, "could not be opened"},
        {std::string("check '") + TERN_SAMPLE_FIRMWARE + "'", kExitSuccess, "Division: 480"},
    };
    for (const Case& c : cases) {
        const Outcome o = RunTool(c.args);
        EXPECT_EQ(o.status, c.status) << c.args << "\n" << o.out;
        EXPECT_NE(o.out.find(c.expectInOutput), std::string::npos) << c.args << "\n" << o.out;
    }
}

}  // namespace
}  // namespace tern::cli
