// What the Linux backend tells apart that other platforms report otherwise: folders, FIFOs
// and devices, and names longer than a file system takes.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/ReadOnlyFile.h"
#include "tests/support/TempDir.h"

namespace tern::platform {
namespace {

TEST(ReadOnlyFileLinux, FoldersDevicesFifosAndOverlongNamesAreToldApart) {
    test::TempDir dir;
    ASSERT_EQ(mkfifo(dir.PathOf("fifo").c_str(), 0600), 0);
    struct Case {
        std::string path;
        FileOpenResult result;
    };
    const Case cases[] = {
        {dir.Path(), FileOpenResult::IsDirectory},
        {dir.PathOf("fifo"), FileOpenResult::NotRegularFile},  // must not wait for a writer
        {"/dev/null", FileOpenResult::NotRegularFile},
        {dir.PathOf(std::string(300, 'n')), FileOpenResult::NameTooLong},
    };
    for (const Case& c : cases) {
        ReadOnlyFile f;
        EXPECT_EQ(f.Open(c.path), c.result) << c.path;
        EXPECT_FALSE(f.IsOpen()) << c.path;
    }
}

}  // namespace
}  // namespace tern::platform
