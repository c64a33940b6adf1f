// A component's registration: a small text file "<name>.component" in a component folder,
// installed with the component and removed with it, naming the class the component serves
// and the library that serves it:
//
//   class = {1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}
//   library = corvo-sim.so
//
// The library is an absolute path, or a file name in the registration's own folder. Blank
// lines, lines starting with '#' and other keys are passed over.
#pragma once

#include <optional>
#include <string>

#include "platform/ComTypes.h"

namespace tern::platform {

inline constexpr char kRegistrationExtension[] = ".component";

struct ComponentRegistration {
    CLSID clsid{};
    std::string library;  // as written: absolute, or a name in the registration's folder
};

struct RegistrationRead {
    std::optional<ComponentRegistration> registration;
    std::string reason;  // when there is none: why, in a few words
};

// Reads the registration file at `path`, which must be a regular file of at most 4 KiB.
RegistrationRead ReadRegistration(const std::string& path);

// Parses a registration's text.
RegistrationRead ParseRegistration(const std::string& text);

// The library's path: `library` itself when absolute, else in `folder`; empty when the name
// is neither absolute nor a plain file name.
std::string RegisteredLibraryPath(const std::string& folder, const std::string& library);

}  // namespace tern::platform
