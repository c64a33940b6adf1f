// A private folder for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

#include "samples/SmfWriter.h"

namespace tern::test {

// A new, empty folder under the system's temporary folder, named `stem`-<pid>-<random>;
// forward slashes on every platform.
std::string MakeTempFolder(const std::string& stem);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "/" + name; }

    // Makes a folder named `name` (UTF-8, in any script) in the folder and returns its path.
    std::string Folder(const std::string& name) const;

    // Writes `bytes` to a file named `name` in the folder and returns its path.
    std::string Write(const std::string& name, const samples::Bytes& bytes) const;

private:
    std::string m_path;
};

}  // namespace tern::test
