// The file access every platform shares; what only one backend can show is in
// platform/linux/ and platform/win32/.
#include "platform/ReadOnlyFile.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace tern::platform {
namespace {

TEST(ReadOnlyFile, EveryOpenFailureIsToldApart) {
    test::TempDir dir;
    const std::string file = dir.Write("f.bin", {1, 2, 3});
    struct Case {
        std::string path;
        FileOpenResult result;
    };
    const Case cases[] = {
        {file, FileOpenResult::Ok},
        {dir.PathOf("absent"), FileOpenResult::NotFound},
        {dir.PathOf("absent/f.bin"), FileOpenResult::PathNotFound},
        {file + "/f.bin", FileOpenResult::PathNotFound},
        {"", FileOpenResult::InvalidName},
        {std::string("a\0b", 3), FileOpenResult::InvalidName},
    };
    for (const Case& c : cases) {
        ReadOnlyFile f;
        EXPECT_EQ(f.Open(c.path), c.result) << c.path;
        EXPECT_EQ(f.IsOpen(), c.result == FileOpenResult::Ok) << c.path;
    }
}

TEST(ReadOnlyFile, RelativeNamesAreJudgedByTheCurrentFolder) {
    ReadOnlyFile f;
    EXPECT_EQ(f.Open("tern-no-such-file.mid"), FileOpenResult::NotFound);
    EXPECT_EQ(f.Open("tern-no-such-folder/x.mid"), FileOpenResult::PathNotFound);
}

TEST(ReadOnlyFile, AnOpenFileIsNotSharedUntilClosed) {
    test::TempDir dir;
    const std::string path = dir.Write("f.bin", {1, 2, 3});
    ReadOnlyFile first;
    ASSERT_EQ(first.Open(path), FileOpenResult::Ok);
    ReadOnlyFile second;
    EXPECT_EQ(second.Open(path), FileOpenResult::InUse);
    first.Close();
    EXPECT_EQ(second.Open(path), FileOpenResult::Ok);
}

TEST(ReadOnlyFile, LengthAndOneReadGiveTheWholeFile) {
    test::TempDir dir;
    samples::Bytes content(100000);
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<uint8_t>(i * 7);
    }
    ReadOnlyFile f;
    ASSERT_EQ(f.Open(dir.Write("f.bin", content)), FileOpenResult::Ok);
    EXPECT_EQ(f.Length(), content.size());
    samples::Bytes buffer(content.size() + 10);
    EXPECT_EQ(f.Read(buffer.data(), buffer.size()), content.size());  // short at the end
    buffer.resize(content.size());
    EXPECT_EQ(buffer, content);

    f.Close();
    EXPECT_FALSE(f.Length().has_value());
    EXPECT_FALSE(f.Read(buffer.data(), 1).has_value());
}

}  // namespace
}  // namespace tern::platform
