#include "settings/Reg.h"

#include <exception>

#include "log/RuntimeError.h"
#include "platform/RegistryBackend.h"

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

std::string Reg::RegReadValue(RootKey root, const std::string& keyPath,
                              const std::string& valueName) {
    RegistryValue value;
    if (backend_.queryValue(root, keyPath, valueName, value) != RegStatus::Success ||
        value.type != kRegSz) {
        return {};
    }
    return textFromReadBuffer(value.data);
}

bool Reg::RegWriteValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                        const std::string& data) {
    try {
        const RegistryValue value{kRegSz, data + '\0'};
        return backend_.setValue(root, keyPath, valueName, value) == RegStatus::Success;
    } catch (...) {
        reportRunTimeError(std::current_exception());
        return false;
    }
}

bool Reg::RegDeleteValue(RootKey root, const std::string& keyPath, const std::string& valueName) {
    try {
        return backend_.deleteValue(root, keyPath, valueName) == RegStatus::Success;
    } catch (...) {
        reportRunTimeError(std::current_exception());
        return false;
    }
}

void Reg::reportRunTimeError(const std::exception_ptr& failure) {
    const Flag16 showBox = kTrue;
    const Flag16 writeToLog = kTrue;
    log_.WriteLog(errorReport(runtimeErrorOf(failure)), showBox, writeToLog);
}

}  // namespace velmora
