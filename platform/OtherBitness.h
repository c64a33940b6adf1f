// The system's other bitness. 64-bit Windows keeps two registry views, one for 64-bit
// programs and one for 32-bit programs, and a process loads only the in-process components
// its own view names. A bus driver whose component is registered in the other view alone is
// served by the other build of this program, which the 64-bit installer puts beside this one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ComTypes.h"

namespace tern::platform {

// A class's in-process server as one registry view names it.
struct ViewRegistration {
    int bits = 0;  // the programs the view is for: 32 or 64
    std::string library;
};

constexpr int ProcessBits() {
    return static_cast<int>(sizeof(void*) * 8);
}

// This process's view first, then the other; a view without the class is left out. Empty
// where the system has one view (Linux, 32-bit Windows has the one of its own bitness).
std::vector<ViewRegistration> RegistrationsByView(const CLSID& clsid);

// The program of this one's file name in the other build, where the 64-bit installer puts it:
// in `x86\` below a 64-bit program's folder, in the folder above a 32-bit program's `x86\`.
// Empty when it is not there, where the system has one bitness, and in a process that was
// itself handed a start, so that two builds never hand one back and forth.
std::string OtherBuildProgram();

// Runs `program` with this process's arguments and standard streams, marked as handed a
// start. `wait`: returns its exit status once it has ended; otherwise 0 once it has started.
// Nothing when it could not be started.
std::optional<int> HandOver(const std::string& program, bool wait);

}  // namespace tern::platform
