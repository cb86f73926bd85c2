#include "linux/LinuxExecutable.h"

#include <filesystem>
#include <system_error>

namespace velmora {

ExecutableInfo currentExecutable() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !self.has_filename()) {
        return {std::filesystem::current_path(error).string(), "velmora"};
    }
    return {self.parent_path().string(), self.filename().string()};
}

}  // namespace velmora
