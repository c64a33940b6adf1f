// A large image is mapped on a huge-page boundary and advised for huge pages, which is what
// makes loading a big file cost little more than reading it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/ImageMemory.h"

namespace tern::platform {
namespace {

constexpr uintptr_t kHugePage = uintptr_t{2} << 20;

// The VmFlags line of the mapping that holds `address`, from the process's own smaps.
std::string FlagsOfMappingAt(const void* address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        // A mapping's first line: "start-end perms ..."; its fields follow, VmFlags last.
        unsigned long start = 0, end = 0;
        char perms[5] = {};
        if (std::sscanf(line.c_str(), "%lx-%lx %4s", &start, &end, perms) == 3) {
            inside = at >= start && at < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return "";
}

TEST(ImageMemoryLinux, ALargeImageStartsOnAHugePageAndIsAdvisedForHugePages) {
    if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled")) {
        GTEST_SKIP() << "this kernel has no transparent huge pages to advise";
    }
    const size_t size = (size_t{6} << 20) + 100;
    ImageMemory image = AllocateImage(size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image.get()) % kHugePage, 0u);
    // "hg": the mapping carries the huge-page advice, from its first byte to its last.
    const std::string first = FlagsOfMappingAt(image.get());
    const std::string last = FlagsOfMappingAt(image.get() + size - 1);
    EXPECT_NE(first.find(" hg"), std::string::npos) << first;
    EXPECT_NE(last.find(" hg"), std::string::npos) << last;
}

}  // namespace
}  // namespace tern::platform
