#include "win/WinRegistryBackend.h"

#include <cstring>
#include <optional>
#include <system_error>

#include "win/UniqueRegKey.h"
#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// Every call may read and change values and create sub-keys, so a key the caller may only
// read is refused when it is opened; a read-only backend asks for reading alone.
constexpr REGSAM kAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr REGSAM kReadAccess = KEY_QUERY_VALUE;

REGSAM rightsFor(RegistryAccess access) {
    return access == RegistryAccess::ReadOnly ? kReadAccess : kAccess;
}
// A value another program keeps resizing between the size query and the read is given up on.
constexpr int kReadAttempts = 4;

bool isTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A key path or value name as the registry takes it; none when it holds a NUL, which the
// registry would take as its end and so address another key or value.
std::optional<std::wstring> registryName(const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return widen(text);
}

// The registry's answers that are results of the store, as the port numbers them.
std::optional<RegStatus> resultOf(LSTATUS code) {
    switch (code) {
        case ERROR_SUCCESS:
            return RegStatus::Success;
        case ERROR_FILE_NOT_FOUND:
            return RegStatus::NotFound;
        case ERROR_ACCESS_DENIED:
            return RegStatus::AccessDenied;
        case ERROR_INVALID_PARAMETER:
        case ERROR_BAD_PATHNAME:  // a key path such as "\A" that names no key
            return RegStatus::InvalidParameter;
        case ERROR_BADDB:
            return RegStatus::BadDatabase;
        default:
            return std::nullopt;
    }
}

// A read that fails for any other reason leaves the store unreadable, as a corrupt one is:
// the settings fall back to their defaults and the user is told, the program goes on.
RegStatus readResult(LSTATUS code) {
    return resultOf(code).value_or(RegStatus::BadDatabase);
}

// A change that fails for any other reason is a failure of the registry itself.
RegStatus changeResult(LSTATUS code, const char* call) {
    if (const auto status = resultOf(code)) {
        return *status;
    }
    throw std::system_error(static_cast<int>(code), winErrorCategory(), call);
}

LSTATUS openExisting(HKEY root, const std::wstring& path, REGSAM rights, UniqueRegKey& key) {
    return ::RegOpenKeyExW(root, path.c_str(), 0, rights, key.receive());
}

// Opens the key, creating every missing key along the path.
LSTATUS openCreating(HKEY root, const std::wstring& path, UniqueRegKey& key) {
    return ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess,
                             nullptr, key.receive(), nullptr);
}

LSTATUS readStored(HKEY key, const std::wstring& name, DWORD& type, std::string& bytes) {
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD size = 0;
        LSTATUS code = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
        if (code != ERROR_SUCCESS) {
            return code;
        }
        bytes.assign(size, '\0');
        code = ::RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (code != ERROR_MORE_DATA) {
            bytes.resize(size);
            return code;
        }
    }
    return ERROR_MORE_DATA;
}

// The bytes the registry keeps for a value: text in UTF-16, everything else as it is. Text
// stays in a wide string, whose terminator lies just past the data: the registry reads one
// unit past text that lacks its NUL and, finding one there, stores it too.
struct StoredForm {
    std::wstring text;
    std::string bytes;

    explicit StoredForm(const RegistryValue& value) {
        if (isTextType(value.type)) {
            text = widen(value.data);
        } else {
            bytes = value.data;
        }
    }
    const BYTE* data() const {
        return text.empty() ? reinterpret_cast<const BYTE*>(bytes.data())
                            : reinterpret_cast<const BYTE*>(text.data());
    }
    std::size_t size() const { return text.empty() ? bytes.size() : text.size() * sizeof(wchar_t); }
};

// The program's form of stored bytes: text in UTF-8, NULs kept where they were. Text stored
// by another program may lack its NUL or end in half a UTF-16 unit; the half is dropped.
std::string programForm(DWORD type, const std::string& stored) {
    if (!isTextType(type)) {
        return stored;
    }
    std::wstring text(stored.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), stored.data(), text.size() * sizeof(wchar_t));
    return narrow(text);
}

}  // namespace

WinRegistryBackend::WinRegistryBackend(HKEY currentUser, HKEY localMachine, RegistryAccess access)
    : currentUser_(currentUser), localMachine_(localMachine), access_(access) {}

RegStatus WinRegistryBackend::queryValue(RootKey root, const std::string& keyPath,
                                         const std::string& valueName, RegistryValue& value) {
    const HKEY rootHandle = rootKey(root);
    const auto path = registryName(keyPath);
    const auto name = registryName(valueName);
    if (rootHandle == nullptr || !path || !name) {
        return RegStatus::InvalidParameter;
    }
    UniqueRegKey key;
    if (const RegStatus status =
            readResult(openExisting(rootHandle, *path, rightsFor(access_), key));
        status != RegStatus::Success) {
        return status;
    }
    DWORD type = REG_NONE;
    std::string stored;
    if (const RegStatus status = readResult(readStored(key.get(), *name, type, stored));
        status != RegStatus::Success) {
        return status;
    }
    value = {type, programForm(type, stored)};
    return RegStatus::Success;
}

RegStatus WinRegistryBackend::setValue(RootKey root, const std::string& keyPath,
                                       const std::string& valueName, const RegistryValue& value) {
    const HKEY rootHandle = rootKey(root);
    const auto path = registryName(keyPath);
    const auto name = registryName(valueName);
    const StoredForm stored(value);
    if (rootHandle == nullptr || !path || !name || stored.size() > MAXDWORD) {
        return RegStatus::InvalidParameter;
    }
    if (access_ == RegistryAccess::ReadOnly) {
        return RegStatus::AccessDenied;
    }
    UniqueRegKey key;
    if (const RegStatus status =
            changeResult(openCreating(rootHandle, *path, key), "RegCreateKeyExW");
        status != RegStatus::Success) {
        return status;
    }
    return changeResult(::RegSetValueExW(key.get(), name->c_str(), 0, value.type, stored.data(),
                                         static_cast<DWORD>(stored.size())),
                        "RegSetValueExW");
}

RegStatus WinRegistryBackend::deleteValue(RootKey root, const std::string& keyPath,
                                          const std::string& valueName) {
    const HKEY rootHandle = rootKey(root);
    const auto path = registryName(keyPath);
    const auto name = registryName(valueName);
    if (rootHandle == nullptr || !path || !name) {
        return RegStatus::InvalidParameter;
    }
    if (access_ == RegistryAccess::ReadOnly) {
        return RegStatus::AccessDenied;
    }
    UniqueRegKey key;
    if (const RegStatus status =
            changeResult(openCreating(rootHandle, *path, key), "RegCreateKeyExW");
        status != RegStatus::Success) {
        return status;
    }
    return changeResult(::RegDeleteValueW(key.get(), name->c_str()), "RegDeleteValueW");
}

std::string WinRegistryBackend::storeLocation(RootKey root) const {
    const HKEY rootHandle = rootKey(root);
    if (rootHandle == HKEY_CURRENT_USER) {
        return "HKEY_CURRENT_USER";
    }
    if (rootHandle == HKEY_LOCAL_MACHINE) {
        return "HKEY_LOCAL_MACHINE";
    }
    return {};
}

HKEY WinRegistryBackend::rootKey(RootKey root) const {
    switch (root) {
        case RootKey::CurrentUser:
            return currentUser_;
        case RootKey::LocalMachine:
            return localMachine_;
    }
    return nullptr;
}

}  // namespace velmora
