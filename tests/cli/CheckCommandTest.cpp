// tern-flash check through its function: the summary, the dry run and load failures.
#include "cli/CheckCommand.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/ExitStatus.h"
#include "samples/SmfWriter.h"
#include "tests/cli/SampleCopy.h"
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
    const test::TempDir dir;
    const Outcome o = Check(test::CopyOfSample(dir));
    EXPECT_EQ(o.status, kExitSuccess);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("Format:   0\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("Tracks:   1\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("Division: 480 ticks"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("    0        14"), std::string::npos) << o.out;
}

TEST(CheckCommand, ASampleFilePlaysDryToTheRebootNotice) {
    // 64 messages, four of them long enough to need 1, 2 and 3 more writes; the last is due at
    // tick 63 x 38 = 2394, 2,493.75 ms at 480 ticks and 500,000 us per quarter note.
    const test::TempDir dir;
    const Outcome o = Check(test::CopyOfSample(dir));
    EXPECT_EQ(o.status, kExitSuccess);
    const std::string dryRun =
        "SysEx events: 64\n"
        "Data bytes:   42800 (42864 with the 0xF0 of each event)\n"
        "Port writes:  67\n"
        "Duration:     2493 ms\n"
        "Outcome:      Don't close this dialog until Ostrel completes rebooting.\n"
        "Verdict:      this file would install\n";
    ASSERT_GE(o.out.size(), dryRun.size());
    EXPECT_EQ(o.out.substr(o.out.size() - dryRun.size()), dryRun) << o.out;
}

TEST(CheckCommand, LoadFailuresPrintTheDialogsMessageAndExitWithFileStatus) {
    test::TempDir dir;
    struct Case {
        std::string path;
        std::string err;
    };
    const Case cases[] = {
        {dir.PathOf("absent.mid"), "File not found!!\n"},
        {dir.Write("empty.mid", {}), "File format error!! The file is empty.\n"},
        {dir.Write("bad.mid", samples::MakeHeader(3, 1, 480)),
         "File format error!! The header's format is 3; an update file's is 0, 1 or 2.\n"},
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

}  // namespace
}  // namespace tern::cli
