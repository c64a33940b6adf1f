#include "cli/RootFailure.h"

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
    return MessageText(kMsgNoInterface);
}

}  // namespace tern::cli
