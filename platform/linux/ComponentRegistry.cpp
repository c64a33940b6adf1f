#include "platform/linux/ComponentRegistry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComRuntime.h"
#include "platform/linux/ComponentRegistration.h"
#include "platform/linux/TrustedPath.h"

namespace tern::platform {
namespace {

constexpr char kComponentPathVariable[] = "TERN_COMPONENT_PATH";
// Beside the programs, installed and in the build tree alike: <prefix>/bin/<program>.
constexpr char kComponentFolder[] = "/../lib/tern-update/components";

struct Library {
    void* handle;               // null when it could not be loaded
    DllGetClassObjectFn entry;  // null when it exports no entry
    std::string loadError;      // why it could not be loaded
};

struct Registry {
    std::mutex mutex;
    std::vector<std::pair<CLSID, DllGetClassObjectFn>> inProcess;
    // Every library tried, by path.
    std::map<std::string, Library> libraries;
    // The library each class was last served from, by path.
    std::vector<std::pair<CLSID, std::string>> served;
    // What the last search passed over, and why.
    std::vector<std::string> skipped;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // plug-ins stay loaded until the process ends
    return *registry;
}

bool IsDescriptorLimit(int error) {
    return error == EMFILE || error == ENFILE;
}

// Whether the process can open no file now because the limit of open files, its own or the
// system's, is reached. dlopen does not say why it failed in errno, so this is asked after.
bool DescriptorsExhausted() {
    const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (probe >= 0) {
        close(probe);
        return false;
    }
    return IsDescriptorLimit(errno);
}

// One search for a class: what it passed over, and whether a file was out of reach for
// lack of descriptors or of memory rather than missing.
struct Search {
    std::vector<std::string> skipped;
    bool exhausted = false;
    bool outOfMemory = false;
};

// The registrations of one folder, in name order so the search is the same on every run.
std::vector<std::string> RegistrationsIn(const std::string& folder, Search& search) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == kRegistrationExtension) {
            found.push_back(entry.path().string());
        }
    }
    search.exhausted = search.exhausted || IsDescriptorLimit(error.value());
    std::sort(found.begin(), found.end());
    return found;
}

// The library at `path` (a path with every link followed), loaded on first use. A library
// that could not be loaded for lack of descriptors or of memory is not remembered as failed:
// a later search tries again.
Library LoadOnce(Registry& registry, const std::string& path, Search& search) {
    std::lock_guard lock(registry.mutex);
    auto it = registry.libraries.find(path);
    if (it != registry.libraries.end()) {
        return it->second;
    }
    Library library{dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr, {}};
    // The loader leaves the failed mapping's errno behind; it is read before anything else.
    const int loadError = library.handle ? 0 : errno;
    if (library.handle) {
        library.entry =
            reinterpret_cast<DllGetClassObjectFn>(dlsym(library.handle, "DllGetClassObject"));
    } else {
        const char* why = dlerror();
        library.loadError = why ? why : "the loader gave no reason";
        if (DescriptorsExhausted()) {
            search.exhausted = true;
            return library;
        }
        if (loadError == ENOMEM) {
            search.outOfMemory = true;
            return library;
        }
    }
    return registry.libraries.emplace(path, library).first->second;
}

void RecordServed(Registry& registry, const CLSID& clsid, const std::string& library) {
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.served, [&](const auto& entry) { return entry.first == clsid; });
    registry.served.emplace_back(clsid, library);
}

HRESULT Ask(DllGetClassObjectFn entry, const CLSID& clsid, void** factory) {
    *factory = nullptr;
    const HRESULT hr = entry(clsid, IID_IClassFactory, factory);
    if (SUCCEEDED(hr) && *factory) {
        return hr;
    }
    if (SUCCEEDED(hr) && !*factory) {
        return E_FAIL;
    }
    *factory = nullptr;
    return hr;
}

// The program's own folder, from the kernel's link to the running executable. Without /proc
// there is no telling, and no folder is guessed in its place.
std::optional<std::string> ExecutableFolder(std::string& problem) {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.is_absolute()) {
        problem = "the program cannot find its own folder (/proc/self/exe: " +
                  (error ? error.message() : std::string("not an absolute path")) +
                  "), so it looks for no component beside it";
        return std::nullopt;
    }
    return exe.parent_path().string();
}

// Serves `clsid` from the registrations of `folder`, if one there names it and its library
// can be trusted and serves it.
bool ServeFromFolder(Registry& registry, const std::string& folder, const CLSID& clsid,
                     void** factory, Search& search) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 && errno == ENOENT) {
        return false;  // no components of that kind on this machine
    }
    const TrustedPath trustedFolder = CheckTrusted(folder, true);
    if (!trustedFolder.reason.empty()) {
        search.skipped.push_back(trustedFolder.reason + ", so no component in it is loaded");
        return false;
    }
    for (const std::string& path : RegistrationsIn(trustedFolder.path, search)) {
        const TrustedPath trusted = CheckTrusted(path);
        if (!trusted.reason.empty()) {
            search.skipped.push_back(trusted.reason);
            continue;
        }
        const RegistrationRead read = ReadRegistration(trusted.path);
        if (!read.registration) {
            search.exhausted = search.exhausted || DescriptorsExhausted();
            search.skipped.push_back(path + " " + read.reason);
            continue;
        }
        if (read.registration->clsid != clsid) {
            continue;
        }
        const std::string libraryPath =
            RegisteredLibraryPath(trustedFolder.path, read.registration->library);
        if (libraryPath.empty()) {
            search.skipped.push_back(path + " names a library neither by an absolute path nor " +
                                     "by a file name beside it");
            continue;
        }
        const TrustedPath library = CheckTrusted(libraryPath);
        if (!library.reason.empty()) {
            search.skipped.push_back(library.reason + " (registered in " + path + ")");
            continue;
        }
        const Library loaded = LoadOnce(registry, library.path, search);
        if (!loaded.handle) {
            search.skipped.push_back(library.path + " cannot be loaded: " + loaded.loadError);
        } else if (!loaded.entry) {
            search.skipped.push_back(library.path + " exports no DllGetClassObject");
        } else if (FAILED(Ask(loaded.entry, clsid, factory))) {
            search.skipped.push_back(library.path + " does not serve the class " + path +
                                     " registers it for");
        } else {
            RecordServed(registry, clsid, library.path);
            return true;
        }
    }
    return false;
}

}  // namespace

ComponentFolderList ComponentFolders() {
    ComponentFolderList list;
    const char* configured = std::getenv(kComponentPathVariable);
    if (configured && *configured) {
        const std::string text = configured;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t colon = std::min(text.find(':', start), text.size());
            const std::string folder = text.substr(start, colon - start);
            if (!folder.empty() && folder[0] == '/') {
                list.folders.push_back(folder);
            } else if (!folder.empty()) {
                // A relative folder would follow whatever the current folder happens to be.
                list.problems.push_back(std::string(kComponentPathVariable) + " names \"" + folder +
                                        "\", which is not an absolute folder");
            }
            start = colon + 1;
        }
        return list;
    }
    std::string problem;
    if (const auto exeFolder = ExecutableFolder(problem)) {
        list.folders.push_back(*exeFolder + kComponentFolder);
    } else {
        list.problems.push_back(problem);
    }
    return list;
}

void RegisterClassObject(const CLSID& clsid, DllGetClassObjectFn getClassObject) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.inProcess.emplace_back(clsid, getClassObject);
}

void UnregisterClassObject(const CLSID& clsid) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.inProcess, [&](const auto& entry) { return entry.first == clsid; });
}

HRESULT GetClassObject(const CLSID& clsid, void** factory) {
    *factory = nullptr;
    Registry& registry = TheRegistry();
    DllGetClassObjectFn registered = nullptr;
    {
        std::lock_guard lock(registry.mutex);
        for (const auto& [id, entry] : registry.inProcess) {
            if (id == clsid) {
                registered = entry;  // the latest registration wins
            }
        }
    }
    if (registered) {
        RecordServed(registry, clsid, {});
        return Ask(registered, clsid, factory);
    }
    const ComponentFolderList folders = ComponentFolders();
    Search search;
    search.skipped = folders.problems;
    bool served = false;
    for (const std::string& folder : folders.folders) {
        if (ServeFromFolder(registry, folder, clsid, factory, search)) {
            served = true;
            break;
        }
    }
    {
        std::lock_guard lock(registry.mutex);
        registry.skipped = search.skipped;
    }
    if (served) {
        return S_OK;
    }
    // Out of reach only for lack of descriptors: the class is not missing, the process has
    // run out of files.
    if (search.exhausted) {
        return kTooManyOpenFilesResult;
    }
    return search.outOfMemory ? E_OUTOFMEMORY : REGDB_E_CLASSNOTREG;
}

std::vector<std::string> SkippedInLastSearch() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.skipped;
}

ServingLibrary LibraryServing(const CLSID& clsid) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    ServingLibrary serving;
    for (const auto& [id, path] : registry.served) {
        if (id == clsid) {
            serving.path = path;
        }
    }
    const auto it = registry.libraries.find(serving.path);
    if (it != registry.libraries.end()) {
        serving.handle = it->second.handle;
    }
    return serving;
}

}  // namespace tern::platform
