// Loading from disk where only Linux can arrange the case: a FIFO, and an address space too
// small for the image.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/SMF.h"
#include "samples/SampleFirmware.h"
#include "status/ReaderError.h"
#include "tests/support/TempDir.h"

namespace tern {
namespace {

const samples::Bytes kOneTrack = samples::MakeSmf(0, 480, {{0x00, 0xFF, 0x2F, 0x00}});

TEST(SmfLoadFileLinux, AFifoWithoutAWriterCannotBeOpenedAndDoesNotWait) {
    test::TempDir dir;
    const std::string file = dir.Write("present.mid", kOneTrack);
    ASSERT_EQ(mkfifo(dir.PathOf("fifo").c_str(), 0600), 0);
    CSMF smf;
    ASSERT_TRUE(smf.LoadFile(file));  // something to lose
    EXPECT_FALSE(smf.LoadFile(dir.PathOf("fifo")));
    EXPECT_EQ(smf.m_nError, kReaderCannotOpen);
    EXPECT_EQ(smf.m_pData, nullptr);
    EXPECT_EQ(smf.m_dwSize, 0u);
}

#if !defined(TERN_SANITIZED)
// In a child whose address space is too small for the image: ends with 0 when the load
// reported no memory and holds nothing.
[[noreturn]] void LoadWithLittleMemory(const std::string& path) {
    const rlim_t bytes = rlim_t{256} << 20;
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    CSMF smf;
    const bool loaded = smf.LoadFile(path);
    std::_Exit(!loaded && smf.m_nError == kReaderNoMemory && !smf.m_pData ? 0 : 1);
}

TEST(SmfLoadFileDeathTest, NoMemoryForTheImageIsReportedAndHoldsNothing) {
    test::TempDir dir;
    const std::string path = dir.Write("big.mid", kOneTrack);
    std::error_code error;
    // 4 GiB - 1: the largest file a load tries to hold.
    std::filesystem::resize_file(path, uintmax_t{0xFFFFFFFF}, error);
    ASSERT_FALSE(error) << error.message();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LoadWithLittleMemory(path), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace tern
