#include "settings/Reg.h"

#include <exception>

#include "log/RuntimeError.h"
#include "ports/RegistryBackend.h"

namespace velmora {

namespace {

constexpr std::size_t kReadBufferSize = 256;

// The text a 256-byte read buffer yields: everything before the first NUL, or nothing when
// the data does not fit. Data stored by another program without a terminating NUL is read
// as if the NUL were there, so it must leave room for one as well.
std::string textFromReadBuffer(const std::string& data) {
    const std::size_t nul = data.find('\0');
    const std::size_t needed = nul == std::string::npos ? data.size() + 1 : data.size();
    if (needed > kReadBufferSize) {
        return {};
    }
    return data.substr(0, nul);
}

}  // namespace

Reg::Reg(RegistryBackend& backend, EventLog& log) : backend_(backend), log_(log) {}

std::string Reg::readValue(RootKey root, const std::string& keyPath, const std::string& valueName) {
    RegistryValue value;
    const RegStatus status = backend_.queryValue(root, keyPath, valueName, value);
    if (status == RegStatus::BadDatabase) {
        reportUnreadableStore(root);
    }
    if (status != RegStatus::Success || value.type != kRegSz) {
        return {};
    }
    return textFromReadBuffer(value.data);
}

std::optional<std::string> Reg::readWholeValue(RootKey root, const std::string& keyPath,
                                               const std::string& valueName) {
    RegistryValue value;
    RegStatus status = RegStatus::BadDatabase;
    try {
        status = backend_.queryValue(root, keyPath, valueName, value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (status == RegStatus::NotFound || (status == RegStatus::Success && value.type != kRegSz)) {
        return std::string();
    }
    if (status != RegStatus::Success) {
        return std::nullopt;
    }
    return value.data.substr(0, value.data.find('\0'));
}

void Reg::reportUnreadableStore(RootKey root) {
    if (!unreadableReport_.empty()) {
        return;
    }
    const std::string location = backend_.storeLocation(root);
    unreadableReport_ = "設定ファイル" + (location.empty() ? "" : "(" + location + ")") +
                        "を読み込めません. 既定の設定を使います.";
    const bool showBox = false;
    const bool writeToLog = true;
    log_.report(unreadableReport_, showBox, writeToLog);
}

bool Reg::writeValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                     const std::string& data) {
    return makeChange([&] {
        const RegistryValue value{kRegSz, data + '\0'};
        return backend_.setValue(root, keyPath, valueName, value) == RegStatus::Success;
    });
}

bool Reg::deleteValue(RootKey root, const std::string& keyPath, const std::string& valueName) {
    return makeChange(
        [&] { return backend_.deleteValue(root, keyPath, valueName) == RegStatus::Success; });
}

bool Reg::makeChange(const std::function<bool()>& change) {
    try {
        return change();
    } catch (...) {
        reportRunTimeError(std::current_exception());
        return false;
    }
}

void Reg::reportRunTimeError(const std::exception_ptr& failure) {
    const bool showBox = true;
    const bool writeToLog = true;
    log_.report(errorReport(runtimeErrorOf(failure)), showBox, writeToLog);
}

}  // namespace velmora
