// SHA-256 from the system's implementation, against the published test vectors.
#include "platform/Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace tern::platform {
namespace {

std::string Hex(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

TEST(Sha256, GivesTheKnownDigestOfEachVector) {
    struct Case {
        std::string input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 448 bits: the padding needs a block of its own.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // 896 bits.
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
         "lmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 60) + " (" + std::to_string(c.input.size()) + " bytes)");
        const auto digest =
            Sha256(reinterpret_cast<const uint8_t*>(c.input.data()), c.input.size());
        ASSERT_TRUE(digest.has_value());
        EXPECT_EQ(Hex(*digest), c.digest);
    }
}

TEST(Sha256, AnEmptyBlockWithoutAnAddressIsTheEmptyDigest) {
    const auto digest = Sha256(nullptr, 0);
    ASSERT_TRUE(digest.has_value());
    EXPECT_EQ(Hex(*digest), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

}  // namespace
}  // namespace tern::platform
