// The device-link class's registration as the system keeps it, read and written the way a
// bus driver's installer or another program would, for the tests that register the simulator
// machine-wide (with regsvr32 or the installer) in a Wine prefix of their own.
#pragma once

#include <optional>
#include <string>

namespace tern::test {

// A value under HKEY_CLASSES_ROOT\CLSID\{class}\InprocServer32 (nullptr: the library's path);
// nothing when it is not there.
std::optional<std::string> ServerValue(const char* name);
// Whether HKEY_CLASSES_ROOT\CLSID\{class} exists at all.
bool ClassKeyExists();
// Points the class at `library`, as another library's registration would.
bool RegisterOtherLibrary(const std::string& library);
// Removes the class's key and everything below it.
void DeleteClassKey();
// The same in the registry view for programs of `bits` (32 or 64) alone, as a bus driver's
// installer of that bitness registers its component.
bool RegisterInView(int bits, const std::string& library);
void DeleteClassKeyInView(int bits);

// Expects the class registered as regsvr32 registers `library`: its path (in any case) and its
// threading model.
void ExpectRegisteredTo(const std::string& library);

}  // namespace tern::test
