#include "devlink/DriverBitness.h"

#include "devlink/CorvoInterfaces.h"

namespace tern {

std::vector<platform::ViewRegistration> DeviceLinkRegistrations() {
    return platform::RegistrationsByView(CLSID_CorvoAsync);
}

std::optional<platform::ViewRegistration> OtherBitnessOnly(
    const std::vector<platform::ViewRegistration>& registrations) {
    // The own view, when it holds the class, comes first.
    if (registrations.empty() || registrations.front().bits == platform::ProcessBits()) {
        return std::nullopt;
    }
    return registrations.front();
}

std::string HandOverTarget() {
    if (!OtherBitnessOnly(DeviceLinkRegistrations())) {
        return {};
    }
    return platform::OtherBuildProgram();
}

}  // namespace tern
