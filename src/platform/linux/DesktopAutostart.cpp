#include "linux/DesktopAutostart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

#include "linux/AtomicFile.h"
#include "linux/DesktopEntry.h"
#include "linux/RegDocument.h"

namespace velmora {

namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr mode_t kEntryMode = 0644;

bool isRefusal(const std::error_code& code) {
    return code == std::errc::permission_denied || code == std::errc::operation_not_permitted;
}

// An entry's name becomes a file name, so it must be one.
bool canBeFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0\r\n", 4)) == std::string::npos;
}

bool mayChange(const std::filesystem::path& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0 ||
           (errno != EACCES && errno != EPERM);
}

}  // namespace

DesktopAutostart::DesktopAutostart(std::filesystem::path folder) : folder_(std::move(folder)) {}

AutostartResult DesktopAutostart::enable(const std::string& entryName, const std::string& command) {
    if (!canBeFileName(entryName) || command.find('\0') != std::string::npos) {
        return AutostartResult::Invalid;
    }
    if (const AutostartResult status = createFolder(); status != AutostartResult::Done) {
        return status;
    }
    try {
        std::filesystem::path entry = findEntry(entryName);
        if (entry.empty()) {
            entry = folder_ / (entryName + std::string(kSuffix));
        }
        replaceFileAtomically(entry, desktopEntryText(command), kEntryMode);
        return AutostartResult::Done;
    } catch (const std::system_error& failure) {
        if (isRefusal(failure.code())) {
            return AutostartResult::Refused;
        }
        throw;
    }
}

AutostartResult DesktopAutostart::disable(const std::string& entryName) {
    if (const AutostartResult status = createFolder(); status != AutostartResult::Done) {
        return status;
    }
    try {
        const std::filesystem::path entry = canBeFileName(entryName) ? findEntry(entryName) : "";
        if (entry.empty()) {
            return AutostartResult::NotFound;
        }
        if (::unlink(entry.c_str()) != 0) {
            if (errno == ENOENT) {
                return AutostartResult::NotFound;
            }
            throwErrno("unlink", entry);
        }
        return AutostartResult::Done;
    } catch (const std::system_error& failure) {
        if (isRefusal(failure.code())) {
            return AutostartResult::Refused;
        }
        throw;
    }
}

std::filesystem::path DesktopAutostart::findEntry(const std::string& entryName) const {
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
        const std::string name = item.path().filename().string();
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix) &&
            equalsIgnoringAsciiCase(std::string_view(name).substr(0, name.size() - kSuffix.size()),
                                    entryName)) {
            return item.path();
        }
    }
    if (isRefusal(error)) {
        throw std::system_error(error, "open " + folder_.string());
    }
    return {};
}

// Enabling and disabling both create the folder first, so it exists once a choice is applied.
AutostartResult DesktopAutostart::createFolder() const {
    try {
        std::filesystem::create_directories(folder_);
    } catch (const std::system_error& failure) {
        if (isRefusal(failure.code())) {
            return AutostartResult::Refused;
        }
        throw;
    }
    return mayChange(folder_) ? AutostartResult::Done : AutostartResult::Refused;
}

}  // namespace velmora
