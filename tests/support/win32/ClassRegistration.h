// The device-link class's registration as the system keeps it, read and written the way a
// bus driver's installer or another program would, for the tests that register the simulator
// machine-wide (with regsvr32 or the installer) in a Wine prefix of their own.
#pragma once

#include <optional>
#include <string>

namespace tern::test {

// Which registry view a read or write goes to: the test program's own, or the one 32-bit or
// 64-bit programs see (a 64-bit Windows keeps the class once for each).
enum class RegistryView { Own, Bits32, Bits64 };

// A value under HKEY_CLASSES_ROOT\CLSID\{class}\InprocServer32 (nullptr: the library's path);
// nothing when it is not there.
std::optional<std::string> ServerValue(const char* name, RegistryView view = RegistryView::Own);
// Whether HKEY_CLASSES_ROOT\CLSID\{class} exists at all.
bool ClassKeyExists(RegistryView view = RegistryView::Own);
// Points the class at `library`, as another library's registration would.
bool RegisterOtherLibrary(const std::string& library, RegistryView view = RegistryView::Own);
// Removes the class's key and everything below it.
void DeleteClassKey(RegistryView view = RegistryView::Own);

// Expects the class registered as regsvr32 registers `library`: its path (in any case) and its
// threading model.
void ExpectRegisteredTo(const std::string& library, RegistryView view = RegistryView::Own);

}  // namespace tern::test
