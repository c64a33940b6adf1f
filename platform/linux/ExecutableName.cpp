#include "platform/ExecutableName.h"

#include <filesystem>

namespace tern::platform {

std::string ExecutableBaseName() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("tern-update") : exe.stem().string();
}

}  // namespace tern::platform
