// The status code every visible outcome is expressed in, and the fixed texts shown for it.
//
// 0 no error; 2..7 discovery retrying (the step the last attempt stopped at);
// 0x80000000 | n failure shown as message n (1..12); 255 installed and rebooting.
#pragma once

#include <cstdint>

namespace tern {

constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusRebooting = 255;
constexpr uint32_t kStatusFailureBit = 0x80000000u;

// Message numbers, in the order of the device-link steps, then loading, then transfer.
enum Message : int32_t {
    kMsgNoInterface = 1,
    kMsgNoDeviceInfo = 2,
    kMsgDeviceNotFound = 3,
    kMsgCannotOpenDevice = 4,
    kMsgNoPortInfo = 5,
    kMsgPortNotFound = 6,
    kMsgCannotOpenPort = 7,
    kMsgNoMemory = 8,
    kMsgFileNotFound = 9,
    kMsgFileOpenFailed = 10,  // its text is empty: the status line is cleared
    kMsgFileFormat = 11,
    kMsgCommunication = 12,
};
constexpr int32_t kMessageCount = 12;

// Texts that success paths show in the status line, and the one message box.
inline constexpr const char kTextSearching[] = "Searching for FW device...";
inline constexpr const char kTextInstalling[] = "Installing...";
inline constexpr const char kTextRebooting[] =
    "Don't close this dialog until Ostrel completes rebooting.";
inline constexpr const char kTextInputUpdateFile[] = "Input Update File!!";

constexpr int32_t MakeFailure(int32_t message) {
    return static_cast<int32_t>(kStatusFailureBit | static_cast<uint32_t>(message));
}

constexpr bool IsFailure(int32_t status) {
    return (static_cast<uint32_t>(status) & kStatusFailureBit) != 0;
}

// The message number a failure code carries in its low bits.
constexpr int32_t MessageOf(int32_t status) {
    return static_cast<int32_t>(static_cast<uint32_t>(status) & ~kStatusFailureBit);
}

// Text of message n (1..12); message 10 is the empty text. Any other n has no message and
// yields nullptr, so a caller can never show a text that does not belong to the table.
const char* MessageText(int32_t message);

// Status code for a failed load, from the reader's error value: 1, 2 and 3 keep their own
// messages (8, 9, 10), everything else is a file format error (11).
int32_t StatusFromReaderError(int32_t readerError);

}  // namespace tern
