// One bitness, one registration: nothing to hand over to.
#include "platform/OtherBitness.h"

namespace tern::platform {

std::vector<ViewRegistration> RegistrationsByView(const CLSID&) {
    return {};
}

std::string OtherBuildProgram() {
    return {};
}

std::optional<int> HandOver(const std::string&, bool) {
    return std::nullopt;
}

}  // namespace tern::platform
