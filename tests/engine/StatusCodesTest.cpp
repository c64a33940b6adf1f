#include "status/StatusCodes.h"

#include <gtest/gtest.h>

#include "status/ReaderError.h"

namespace tern {
namespace {

TEST(StatusCodes, MessageTableHoldsTheTwelveTextsInOrder) {
    const char* const expected[] = {
        "Can not get FW interface!!",
        "Can not get FW device information!!",
        "FW device not found!!",
        "Can not open FW device!!",
        "Can not get FW port information!!",
        "FW port not found!!",
        "Can not open FW port!!",
        "Not enough memory!!",
        "File not found!!",
        "",  // an open failure clears the status line
        "File format error!!",
        "FW communication error!!",
    };
    for (int n = 1; n <= 12; ++n) {
        ASSERT_NE(MessageText(n), nullptr) << "message " << n;
        EXPECT_STREQ(MessageText(n), expected[n - 1]) << "message " << n;
    }
}

TEST(StatusCodes, NumbersOutsideTheTableHaveNoText) {
    for (int32_t n : {0, -1, 13, 255, INT32_MIN}) {
        EXPECT_EQ(MessageText(n), nullptr) << n;
    }
}

TEST(StatusCodes, ReaderErrorsMapToTheirLoadMessages) {
    struct Case {
        int32_t readerError;
        uint32_t status;
    };
    const Case cases[] = {
        {kReaderNoMemory, 0x80000008u},
        {kReaderNotFound, 0x80000009u},
        {kReaderCannotOpen, 0x8000000Au},
        {kReaderFormat, 0x8000000Bu},
        {kReaderMalformed, 0x8000000Bu},
        {kReaderInProgress, 0x8000000Bu},
        {kReaderOk, 0x8000000Bu},
        {4, 0x8000000Bu},
        {5, 0x8000000Bu},
        {INT32_MAX, 0x8000000Bu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<uint32_t>(StatusFromReaderError(c.readerError)), c.status)
            << "reader error " << c.readerError;
    }
}

TEST(StatusCodes, FailureCodesCarryTheirMessageAndSuccessCodesDoNot) {
    EXPECT_EQ(static_cast<uint32_t>(MakeFailure(kMsgCommunication)), 0x8000000Cu);
    EXPECT_TRUE(IsFailure(MakeFailure(kMsgNoInterface)));
    EXPECT_EQ(MessageOf(MakeFailure(kMsgFileFormat)), 11);
    // The rebooting code and the retrying step values are not failures.
    for (int32_t status : {kStatusOk, 2, 7, kStatusRebooting}) {
        EXPECT_FALSE(IsFailure(status)) << status;
    }
}

}  // namespace
}  // namespace tern
