#include "linux/AutostartRunKey.h"

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
constexpr std::size_t kLargestEntry = std::size_t{1024} * 1024;
constexpr mode_t kEntryMode = 0644;

bool isRefusal(const std::error_code& code) {
    return code == std::errc::permission_denied || code == std::errc::operation_not_permitted;
}

// A value name becomes a file name, so it must be one.
bool canBeFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0\r\n", 4)) == std::string::npos;
}

// A string the Exec line can carry: text with its one terminating NUL.
bool isCommandText(const RegistryValue& value) {
    return value.type == kRegSz && !value.data.empty() && value.data.back() == '\0' &&
           value.data.find('\0') == value.data.size() - 1;
}

bool mayChange(const std::filesystem::path& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0 ||
           (errno != EACCES && errno != EPERM);
}

}  // namespace

AutostartRunKey::AutostartRunKey(std::filesystem::path folder) : folder_(std::move(folder)) {}

RegStatus AutostartRunKey::openKey() const {
    std::error_code error;
    if (!std::filesystem::is_directory(folder_, error)) {
        return isRefusal(error) ? RegStatus::AccessDenied : RegStatus::NotFound;
    }
    return mayChange(folder_) ? RegStatus::Success : RegStatus::AccessDenied;
}

RegStatus AutostartRunKey::queryValue(const std::string& valueName, RegistryValue& value) const {
    if (const RegStatus status = openKey(); status != RegStatus::Success) {
        return status;
    }
    if (!canBeFileName(valueName)) {
        return RegStatus::NotFound;
    }
    try {
        const std::filesystem::path entry = findEntry(valueName);
        const auto text = entry.empty() ? std::nullopt : readRegularFile(entry, kLargestEntry);
        if (!text) {
            return RegStatus::NotFound;
        }
        const auto command = desktopEntryCommand(*text);
        if (!command) {
            return RegStatus::BadDatabase;
        }
        value = RegistryValue{kRegSz, *command + '\0'};
        return RegStatus::Success;
    } catch (const std::system_error& failure) {
        return isRefusal(failure.code()) ? RegStatus::AccessDenied : RegStatus::BadDatabase;
    }
}

RegStatus AutostartRunKey::setValue(const std::string& valueName,
                                    const RegistryValue& value) const {
    if (!canBeFileName(valueName) || !isCommandText(value)) {
        return RegStatus::InvalidParameter;
    }
    if (const RegStatus status = createFolder(); status != RegStatus::Success) {
        return status;
    }
    try {
        std::filesystem::path entry = findEntry(valueName);
        if (entry.empty()) {
            entry = folder_ / (valueName + std::string(kSuffix));
        }
        const std::string command = value.data.substr(0, value.data.size() - 1);
        replaceFileAtomically(entry, desktopEntryText(command), kEntryMode);
        return RegStatus::Success;
    } catch (const std::system_error& failure) {
        if (isRefusal(failure.code())) {
            return RegStatus::AccessDenied;
        }
        throw;
    }
}

RegStatus AutostartRunKey::deleteValue(const std::string& valueName) const {
    if (const RegStatus status = createFolder(); status != RegStatus::Success) {
        return status;
    }
    try {
        const std::filesystem::path entry = canBeFileName(valueName) ? findEntry(valueName) : "";
        if (entry.empty()) {
            return RegStatus::NotFound;
        }
        if (::unlink(entry.c_str()) != 0) {
            if (errno == ENOENT) {
                return RegStatus::NotFound;
            }
            throwErrno("unlink", entry);
        }
        return RegStatus::Success;
    } catch (const std::system_error& failure) {
        if (isRefusal(failure.code())) {
            return RegStatus::AccessDenied;
        }
        throw;
    }
}

std::filesystem::path AutostartRunKey::findEntry(const std::string& valueName) const {
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
        const std::string name = item.path().filename().string();
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix) &&
            equalsIgnoringAsciiCase(std::string_view(name).substr(0, name.size() - kSuffix.size()),
                                    valueName)) {
            return item.path();
        }
    }
    if (isRefusal(error)) {
        throw std::system_error(error, "open " + folder_.string());
    }
    return {};
}

// Writing or deleting creates the key first, as the registry does.
RegStatus AutostartRunKey::createFolder() const {
    try {
        std::filesystem::create_directories(folder_);
    } catch (const std::system_error& failure) {
        if (isRefusal(failure.code())) {
            return RegStatus::AccessDenied;
        }
        throw;
    }
    return mayChange(folder_) ? RegStatus::Success : RegStatus::AccessDenied;
}

}  // namespace velmora
