// A private copy of the sample firmware file the build generates. The reader opens a file
// without sharing, so test programs that ran side by side on the build's one copy would
// refuse each other's opens now and then.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/TempDir.h"

namespace tern::test {

inline std::string CopyOfSample(const TempDir& dir) {
    const std::string path = dir.PathOf("ostrel-sample.mid");
    std::error_code error;
    std::filesystem::copy_file(TERN_SAMPLE_FIRMWARE, path, error);
    EXPECT_FALSE(error) << "cannot copy the sample firmware file: " << error.message();
    return path;
}

}  // namespace tern::test
