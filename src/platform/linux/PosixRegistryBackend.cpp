#include "linux/PosixRegistryBackend.h"

#include "linux/RegDocument.h"

namespace velmora {

PosixRegistryBackend::PosixRegistryBackend(const std::filesystem::path& configHome)
    : currentUser_(configHome / "velmora" / "registry", "HKEY_CURRENT_USER"),
      localMachine_(configHome / "velmora" / "registry", "HKEY_LOCAL_MACHINE"),
      runKey_(configHome / "autostart") {}

RegStatus PosixRegistryBackend::openKey(RootKey root, const std::string& keyPath) {
    if (isRunKey(root, keyPath)) {
        return runKey_.openKey();
    }
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? RegStatus::InvalidParameter : store->openKey(keyPath);
}

RegStatus PosixRegistryBackend::queryValue(RootKey root, const std::string& keyPath,
                                           const std::string& valueName, RegistryValue& value) {
    if (isRunKey(root, keyPath)) {
        return runKey_.queryValue(valueName, value);
    }
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? RegStatus::InvalidParameter
                            : store->queryValue(keyPath, valueName, value);
}

RegStatus PosixRegistryBackend::setValue(RootKey root, const std::string& keyPath,
                                         const std::string& valueName, const RegistryValue& value) {
    if (isRunKey(root, keyPath)) {
        return runKey_.setValue(valueName, value);
    }
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? RegStatus::InvalidParameter
                            : store->setValue(keyPath, valueName, value);
}

RegStatus PosixRegistryBackend::deleteValue(RootKey root, const std::string& keyPath,
                                            const std::string& valueName) {
    if (isRunKey(root, keyPath)) {
        return runKey_.deleteValue(valueName);
    }
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? RegStatus::InvalidParameter : store->deleteValue(keyPath, valueName);
}

std::string PosixRegistryBackend::storeLocation(RootKey root) const {
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? std::string() : store->file().string();
}

const RegFileStore* PosixRegistryBackend::storeFor(RootKey root) const {
    switch (root) {
        case RootKey::CurrentUser:
            return &currentUser_;
        case RootKey::LocalMachine:
            return &localMachine_;
    }
    return nullptr;
}

bool PosixRegistryBackend::isRunKey(RootKey root, const std::string& keyPath) const {
    return root == RootKey::LocalMachine && equalsIgnoringAsciiCase(keyPath, kRunKeyPath);
}

}  // namespace velmora
