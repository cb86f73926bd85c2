#include "settings/Reg.h"

#include <exception>
#include <new>
#include <system_error>

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

// What a trapped failure is reported as: an operating-system error keeps its errno and
// the system's description of it; running out of memory and anything else get the numbers
// the program uses for them elsewhere.
RuntimeError runtimeErrorOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::system_error& error) {
        return {error.code().value(), error.code().message()};
    } catch (const std::bad_alloc&) {
        return {7, "Out of memory"};
    } catch (const std::exception& error) {
        return {51, error.what()};
    } catch (...) {
        return {51, "Internal error"};
    }
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
