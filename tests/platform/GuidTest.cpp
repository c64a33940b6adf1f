#include "platform/Guid.h"

#include <gtest/gtest.h>

namespace tern::platform {
namespace {

TEST(Guid, ParsesTheBracedFormInEitherCaseAndFormatsItBack) {
    const auto g = ParseGuid("{1a23b247-c9cf-43f5-a7ae-6b1ff4bdb52a}");
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->Data1, 0x1A23B247u);
    EXPECT_EQ(g->Data2, 0xC9CF);
    EXPECT_EQ(g->Data3, 0x43F5);
    EXPECT_EQ(g->Data4[0], 0xA7);
    EXPECT_EQ(g->Data4[7], 0x2A);
    EXPECT_EQ(FormatGuid(*g), "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}");
    EXPECT_EQ(*g, GuidFromText("{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}"));
    EXPECT_FALSE(*g == GuidFromText("{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52B}"));
}

TEST(Guid, RefusesEveryOtherShape) {
    for (const char* text : {
             "",
             "1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A",     // no braces
             "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A",    // one brace
             "{1A23B247C9CF-43F5-A7AE-6B1FF4BDB52A0}",   // dash moved
             "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52G}",   // not hex
             "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A0}",  // too long
             "{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52}",    // too short
             "(1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A)",
         }) {
        EXPECT_FALSE(ParseGuid(text).has_value()) << text;
    }
}

}  // namespace
}  // namespace tern::platform
