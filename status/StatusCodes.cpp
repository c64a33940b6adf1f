#include "status/StatusCodes.h"

#include "status/ReaderError.h"

#include <array>
#include <cstddef>

namespace tern {
namespace {

constexpr std::array<const char*, kMessageCount> kMessages = {
    "Can not get FW interface!!",
    "Can not get FW device information!!",
    "FW device not found!!",
    "Can not open FW device!!",
    "Can not get FW port information!!",
    "FW port not found!!",
    "Can not open FW port!!",
    "Not enough memory!!",
    "File not found!!",
    "",
    "File format error!!",
    "FW communication error!!",
};

}  // namespace

const char* MessageText(int32_t message) {
    if (message < 1 || message > kMessageCount) {
        return nullptr;
    }
    return kMessages[static_cast<std::size_t>(message - 1)];
}

int32_t StatusFromReaderError(int32_t readerError) {
    switch (readerError) {
        case kReaderNoMemory:
            return MakeFailure(kMsgNoMemory);
        case kReaderNotFound:
            return MakeFailure(kMsgFileNotFound);
        case kReaderCannotOpen:
            return MakeFailure(kMsgFileOpenFailed);
        default:
            return MakeFailure(kMsgFileFormat);
    }
}

}  // namespace tern
