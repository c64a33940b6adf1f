#include "cli/DeviceLinkIdentity.h"

#include "devlink/CorvoInterfaces.h"

namespace tern::cli {

std::string DeviceLinkLine(const platform::ComponentIdentity& identity) {
    std::string line =
        "Device link: " +
        (identity.library.empty() ? std::string("served by this program") : identity.library);
    if (identity.simulation) {
        line += " (the simulated bus: nothing reaches a real Ostrel)";
    }
    return line;
}

platform::ComponentIdentity DeviceLinkIdentity() {
    return platform::IdentifyComponent(CLSID_CorvoAsync);
}

}  // namespace tern::cli
