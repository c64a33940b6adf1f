#include "cli/LoadFailure.h"

#include "platform/ReadOnlyFile.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

// The window only clears its status line when a file cannot be opened; a terminal user
// gets the reason instead, found by trying the open again.
std::string OpenFailureReason(const std::string& path) {
    platform::ReadOnlyFile probe;
    const auto result = probe.Open(path);
    if (result == platform::FileOpenResult::Ok) {
        // Opens now: the read failed, or another opener held the file at that moment.
        return "The file could not be read, or another program held it at that moment.";
    }
    return std::string("The file could not be opened: ") + platform::Describe(result) + ".";
}

}  // namespace

std::string LoadFailureText(const CSMF& reader, const std::string& path) {
    const std::string text = MessageText(MessageOf(StatusFromReaderError(reader.m_nError)));
    return text.empty() ? OpenFailureReason(path) : text;
}

std::string RefusalText(const PreflightVerdict& verdict) {
    return std::string(MessageText(kMsgFileFormat)) + " The file is refused: " + verdict.reason +
           ".";
}

}  // namespace tern::cli
