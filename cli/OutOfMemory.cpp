#include "cli/OutOfMemory.h"

#include <atomic>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

enum TransferState : int { kNoTransfer, kTransferSucceeded, kTransferFailed };

std::atomic<int> g_transfer{kNoTransfer};

constexpr char kNoMemoryNote[] = "Not enough memory to report more of the run.";

}  // namespace

void NoteTransferEnded(bool succeeded) {
    g_transfer = succeeded ? kTransferSucceeded : kTransferFailed;
}

int ReportOutOfMemory(const char* command, bool json) {
    const int transfer = g_transfer;
    const char* const noMemory = MessageText(kMsgNoMemory);
    if (transfer == kNoTransfer) {
        if (json) {
            std::printf(
                "{\n  \"command\": \"%s\",\n  \"ok\": false,\n  \"exit_status\": %d,\n"
                "  \"error\": {\n    \"status\": %d,\n    \"message\": \"%s\"\n  }\n}\n",
                command, kExitResources, kExitResources, noMemory);
        }
        std::fprintf(stderr, "%s Nothing was written to the device.\n", noMemory);
        std::fflush(stdout);
        return kExitResources;
    }
    const bool succeeded = transfer == kTransferSucceeded;
    const int status = succeeded ? kExitSuccess : kExitTransfer;
    const int32_t code = succeeded ? kStatusRebooting : MakeFailure(kMsgCommunication);
    const char* const outcome = succeeded ? kTextRebooting : MessageText(kMsgCommunication);
    if (json) {
        std::printf("{\n  \"command\": \"%s\",\n  \"ok\": %s,\n  \"exit_status\": %d,\n", command,
                    succeeded ? "true" : "false", status);
        if (succeeded) {
            std::printf("  \"error\": null,\n");
        } else {
            std::printf("  \"error\": {\n    \"status\": %d,\n    \"message\": \"%s\"\n  },\n",
                        status, outcome);
        }
        std::printf(
            "  \"install\": {\n    \"outcome\": {\n      \"status\": %u,\n      \"message\": "
            "\"%s\"\n    }\n  },\n  \"warnings\": [\n    \"%s\"\n  ]\n}\n",
            static_cast<unsigned>(code), outcome, kNoMemoryNote);
    } else {
        std::printf("%s\n", outcome);
    }
    std::fprintf(stderr, "%s\n", kNoMemoryNote);
    std::fflush(stdout);
    return status;
}

}  // namespace tern::cli
