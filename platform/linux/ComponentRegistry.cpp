#include "platform/linux/ComponentRegistry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComRuntime.h"

namespace tern::platform {
namespace {

constexpr char kComponentPathVariable[] = "TERN_COMPONENT_PATH";
constexpr char kInstalledFolder[] = "/../lib/tern-update/components";
constexpr char kBuildTreeFolder[] = "/components";

struct Library {
    void* handle;               // null when it could not be loaded
    DllGetClassObjectFn entry;  // null when it exports no entry
};

struct Registry {
    std::mutex mutex;
    std::vector<std::pair<CLSID, DllGetClassObjectFn>> inProcess;
    // Every library tried, by path.
    std::map<std::string, Library> libraries;
    // The library each class was last served from, by path.
    std::vector<std::pair<CLSID, std::string>> served;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // plug-ins stay loaded until the process ends
    return *registry;
}

std::string ExecutableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : exe.parent_path().string();
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

// Plug-ins of one folder, in name order so the search is the same on every run. Sets
// `exhausted` when the folder could not be read for lack of descriptors.
std::vector<std::string> PluginsIn(const std::string& folder, bool& exhausted) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".so" && !entry.is_directory(error)) {
            found.push_back(entry.path().string());
        }
    }
    exhausted = exhausted || IsDescriptorLimit(error.value());
    std::sort(found.begin(), found.end());
    return found;
}

// The library at `path` by its canonical path, loaded on first use. A library that could not
// be loaded for lack of descriptors or of memory is not remembered as failed: a later search
// tries again; `outOfMemory` is set for the second.
std::pair<std::string, Library> LoadOnce(Registry& registry, const std::string& path,
                                         bool& exhausted, bool& outOfMemory) {
    std::error_code error;
    std::string key = std::filesystem::weakly_canonical(path, error).string();
    if (error) {
        key = path;
    }
    std::lock_guard lock(registry.mutex);
    auto it = registry.libraries.find(key);
    if (it != registry.libraries.end()) {
        return *it;
    }
    Library library{dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr};
    // The loader leaves the failed mapping's errno behind; it is read before anything else.
    const int loadError = library.handle ? 0 : errno;
    if (library.handle) {
        library.entry =
            reinterpret_cast<DllGetClassObjectFn>(dlsym(library.handle, "DllGetClassObject"));
    } else if (DescriptorsExhausted()) {
        exhausted = true;
        return {key, library};
    } else if (loadError == ENOMEM) {
        outOfMemory = true;
        return {key, library};
    }
    return *registry.libraries.emplace(key, library).first;
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

}  // namespace

std::vector<std::string> ComponentFolders() {
    std::vector<std::string> folders;
    const char* configured = std::getenv(kComponentPathVariable);
    if (configured && *configured) {
        std::string list = configured;
        size_t start = 0;
        while (start <= list.size()) {
            const size_t colon = std::min(list.find(':', start), list.size());
            if (colon > start) {
                folders.push_back(list.substr(start, colon - start));
            }
            start = colon + 1;
        }
        return folders;
    }
    const std::string exeFolder = ExecutableFolder();
    folders.push_back(exeFolder + kInstalledFolder);
    folders.push_back(exeFolder + kBuildTreeFolder);
    return folders;
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
    // Whether a folder or a library was out of reach only for lack of descriptors: then the
    // class is not missing, the process has run out of files.
    bool exhausted = false;
    bool outOfMemory = false;
    for (const std::string& folder : ComponentFolders()) {
        for (const std::string& path : PluginsIn(folder, exhausted)) {
            const auto [canonical, library] = LoadOnce(registry, path, exhausted, outOfMemory);
            if (library.entry && SUCCEEDED(Ask(library.entry, clsid, factory))) {
                RecordServed(registry, clsid, canonical);
                return S_OK;
            }
        }
    }
    if (exhausted) {
        return kTooManyOpenFilesResult;
    }
    return outOfMemory ? E_OUTOFMEMORY : REGDB_E_CLASSNOTREG;
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
