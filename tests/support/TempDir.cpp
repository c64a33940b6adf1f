#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/support/Environment.h"

namespace tern::test {

std::string MakeTempFolder(const std::string& stem) {
    const auto base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto path =
            base / (stem + "-" + std::to_string(ProcessId()) + "-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) {
            return path.generic_string();
        }
    }
    ADD_FAILURE() << "cannot create a temporary folder in " << base;
    return {};
}

TempDir::TempDir() : m_path(MakeTempFolder("tern-test")) {}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::Folder(const std::string& name) const {
    const std::string path = PathOf(name);
    // As UTF-8 whatever the system's narrow code page: a path of char8_t says so.
    const std::u8string utf8(path.begin(), path.end());
    std::error_code error;
    EXPECT_TRUE(std::filesystem::create_directory(utf8, error)) << path << ": " << error.message();
    return path;
}

std::string TempDir::Write(const std::string& name, const samples::Bytes& bytes) const {
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
    return path;
}

}  // namespace tern::test
