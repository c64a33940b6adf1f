// Loading from disk: open failures, empty and oversized files, reloads, and what a failed
// load leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "engine/SMF.h"
#include "platform/ReadOnlyFile.h"
#include "samples/SampleFirmware.h"
#include "status/ReaderError.h"
#include "tests/support/FileHolder.h"
#include "tests/support/TempDir.h"

namespace tern {
namespace {

using samples::Bytes;

const Bytes kOneTrack = samples::MakeSmf(0, 480, {{0x00, 0xFF, 0x2F, 0x00}});

void ExpectNoImage(const CSMF& smf) {
    EXPECT_EQ(smf.m_pData, nullptr);
    EXPECT_EQ(smf.m_dwSize, 0u);
    EXPECT_EQ(smf.m_wTracks, 0);
    EXPECT_EQ(smf.m_Track[0].dwLength, 0u);
}

TEST(SmfLoadFile, OnlyAMissingFileInAnExistingFolderIsNotFound) {
    test::TempDir dir;
    const std::string file = dir.Write("present.mid", kOneTrack);
    struct Case {
        const char* name;
        std::string path;
        int32_t error;
    };
    const Case cases[] = {
        {"missing file", dir.PathOf("absent.mid"), kReaderNotFound},
        {"missing folder", dir.PathOf("absent/x.mid"), kReaderCannotOpen},
        {"file used as a folder", file + "/x.mid", kReaderCannotOpen},
        {"folder", dir.Path(), kReaderCannotOpen},
        {"empty path", "", kReaderCannotOpen},
        {"name too long", dir.PathOf(std::string(300, 'a')), kReaderCannotOpen},
    };
    for (const Case& c : cases) {
        CSMF smf;
        ASSERT_TRUE(smf.LoadFile(file));  // something to lose
        EXPECT_FALSE(smf.LoadFile(c.path)) << c.name;
        EXPECT_EQ(smf.m_nError, c.error) << c.name;
        ExpectNoImage(smf);
    }
}

TEST(SmfLoadFile, AFileLockedByAnotherOpenerIsRefusedUntilReleased) {
    test::TempDir dir;
    const std::string path = dir.Write("locked.mid", kOneTrack);
    test::FileHolder holder(path);
    ASSERT_TRUE(holder.Holding());

    CSMF smf;
    EXPECT_FALSE(smf.LoadFile(path));
    EXPECT_EQ(smf.m_nError, kReaderCannotOpen);

    holder.Release();
    EXPECT_TRUE(smf.LoadFile(path));
    EXPECT_EQ(smf.m_nError, kReaderOk);
}

TEST(SmfLoadFile, AnEmptyFileIsAFormatErrorWithNoImage) {
    test::TempDir dir;
    CSMF smf;
    EXPECT_FALSE(smf.LoadFile(dir.Write("empty.mid", {})));
    EXPECT_EQ(smf.m_nError, kReaderFormat);
    ExpectNoImage(smf);
}

TEST(SmfLoadFile, AFileOf4GiBOrMoreIsRefusedNotTruncated) {
    // The first bytes form a valid file: cut to its low 32 bits the length would be
    // exactly that file, and it would load.
    test::TempDir dir;
    const std::string path = dir.Write("huge.mid", kOneTrack);
    std::error_code error;
    std::filesystem::resize_file(path, (uintmax_t{1} << 32) + kOneTrack.size(), error);
    if (error) {
        GTEST_SKIP() << "the file system cannot hold a sparse 4 GiB file";
    }
    CSMF smf;
    EXPECT_FALSE(smf.LoadFile(path));
    EXPECT_EQ(smf.m_nError, kReaderFormat);
    ExpectNoImage(smf);
}

TEST(SmfLoadFile, AShortReadIsNeverTakenForAWholeFile) {
    // Kernel attribute files report a length of a page but hold fewer bytes.
    const std::string path = "/sys/kernel/mm/transparent_hugepage/enabled";
    platform::ReadOnlyFile probe;
    if (probe.Open(path) != platform::FileOpenResult::Ok || probe.Length().value_or(0) < 1024) {
        GTEST_SKIP() << "no file here reports more bytes than it holds";
    }
    probe.Close();
    CSMF smf;
    EXPECT_FALSE(smf.LoadFile(path));
    EXPECT_EQ(smf.m_nError, kReaderCannotOpen);
    ExpectNoImage(smf);
}

TEST(SmfLoadFile, AReloadReplacesTheImageAndTable) {
    test::TempDir dir;
    const auto sample = samples::BuildSampleFirmware();
    const Bytes twoTracks = samples::MakeSmf(
        1, 96, {{0x00, 0xFF, 0x2F, 0x00}, {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}});
    CSMF smf;
    ASSERT_TRUE(smf.LoadFile(dir.Write("sample.mid", sample.file)));
    EXPECT_EQ(smf.m_dwSize, sample.file.size());
    EXPECT_EQ(smf.m_wTracks, 1);

    ASSERT_TRUE(smf.LoadFile(dir.Write("two.mid", twoTracks)));
    EXPECT_EQ(smf.m_nError, kReaderOk);
    EXPECT_EQ(smf.m_dwSize, twoTracks.size());
    EXPECT_EQ(smf.m_wFormat, 1);
    EXPECT_EQ(smf.m_wTracks, 2);
    EXPECT_EQ(smf.m_wDivision, 96);
    EXPECT_EQ(smf.m_Track[1].dwOffset, 14u + 12u);
    EXPECT_EQ(std::memcmp(smf.m_pData.get(), twoTracks.data(), twoTracks.size()), 0);
}

}  // namespace
}  // namespace tern
