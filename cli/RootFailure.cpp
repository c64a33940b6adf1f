#include "cli/RootFailure.h"

#include "devlink/DriverBitness.h"
#include "status/StatusCodes.h"

namespace tern::cli {

std::string RootFailureText(HRESULT result) {
    // The component is there; the process could not open it.
    if (result == kTooManyOpenFilesResult) {
        return "The device link's component could not be loaded: too many open files (the limit "
               "of open files is reached).";
    }
    if (result == E_OUTOFMEMORY) {
        return "The device link could not be started: not enough memory.";
    }
    std::string text = MessageText(kMsgNoInterface);
    // A driver this build cannot load, and no other build beside it to hand the command to:
    // the person is told which program can.
    if (const auto other = OtherBitnessOnly(DeviceLinkRegistrations())) {
        const std::string bits = std::to_string(other->bits);
        text += "\nThe device link's component is registered for " + bits + "-bit programs only (" +
                other->library + "), and this tern-flash is " +
                std::to_string(platform::ProcessBits()) + "-bit: use the " + bits +
                "-bit tern-flash.exe, which the 64-bit installer puts beside this one" +
                (other->bits == 32 ? " in its x86 folder." : ".");
    }
    return text;
}

}  // namespace tern::cli
