#include "linux/XdgDirectories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velmora {

namespace {

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

std::filesystem::path fromEnvironment(const char* name, const std::filesystem::path& fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return fallback;
}

std::filesystem::path privateTmpFolder() {
    return std::filesystem::path("/tmp") / ("velmora-" + std::to_string(getuid()));
}

}  // namespace

std::filesystem::path xdgConfigHome() {
    return fromEnvironment("XDG_CONFIG_HOME", homeDirectory() / ".config");
}

std::filesystem::path xdgStateHome() {
    return fromEnvironment("XDG_STATE_HOME", homeDirectory() / ".local" / "state");
}

std::filesystem::path xdgRuntimeDir() {
    return fromEnvironment("XDG_RUNTIME_DIR", privateTmpFolder());
}

std::vector<std::filesystem::path> instanceLockFolders() {
    std::vector<std::filesystem::path> folders;
    if (const std::filesystem::path runtime = xdgRuntimeDir(); runtime != privateTmpFolder()) {
        folders.push_back(runtime);
    }
    folders.push_back(privateTmpFolder());
    return folders;
}

}  // namespace velmora
