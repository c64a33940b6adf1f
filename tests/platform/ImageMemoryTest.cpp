// Image memory: zeroed, writable to its last byte, and handed back however it was obtained.
#include "platform/ImageMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tern::platform {
namespace {

TEST(ImageMemory, EverySizeComesZeroedAndWholeAndIsGivenBack) {
    // Around the point where Linux maps instead of taking from the heap, and the odd sizes
    // whose mapping is trimmed at both ends.
    const size_t sizes[] = {0,
                            1,
                            4095,
                            (size_t{2} << 20) - 1,
                            size_t{2} << 20,
                            (size_t{2} << 20) + 1,
                            (size_t{5} << 20) + 12345};
    for (const size_t size : sizes) {
        ImageMemory image = AllocateImage(size);
        ASSERT_NE(image, nullptr) << size;
        EXPECT_TRUE(std::all_of(image.get(), image.get() + size, [](uint8_t b) { return b == 0; }))
            << size;
        // Writable throughout: a trimmed end would fault here.
        std::memset(image.get(), 0xA5, size);
        if (size > 0) {
            EXPECT_EQ(image[size - 1], 0xA5) << size;
        }
        image.reset();  // a wrong release would fault or be reported by the sanitizers
    }
}

TEST(ImageMemory, ImagesHeldTogetherDoNotOverlap) {
    const size_t size = (size_t{3} << 20) + 7;
    ImageMemory first = AllocateImage(size);
    ImageMemory second = AllocateImage(size);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    std::memset(first.get(), 1, size);
    std::memset(second.get(), 2, size);
    EXPECT_TRUE(std::all_of(first.get(), first.get() + size, [](uint8_t b) { return b == 1; }));
}

}  // namespace
}  // namespace tern::platform
