#include "linux/PosixRegistryBackend.h"

namespace velmora {

PosixRegistryBackend::PosixRegistryBackend(const std::filesystem::path& configHome)
    : currentUser_(configHome / "velmora" / "registry", "HKEY_CURRENT_USER"),
      localMachine_(configHome / "velmora" / "registry", "HKEY_LOCAL_MACHINE") {}

RegStatus PosixRegistryBackend::queryValue(RootKey root, const std::string& keyPath,
                                           const std::string& valueName, RegistryValue& value) {
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? RegStatus::InvalidParameter
                            : store->queryValue(keyPath, valueName, value);
}

RegStatus PosixRegistryBackend::setValue(RootKey root, const std::string& keyPath,
                                         const std::string& valueName, const RegistryValue& value) {
    const RegFileStore* store = storeFor(root);
    return store == nullptr ? RegStatus::InvalidParameter
                            : store->setValue(keyPath, valueName, value);
}

RegStatus PosixRegistryBackend::deleteValue(RootKey root, const std::string& keyPath,
                                            const std::string& valueName) {
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

}  // namespace velmora
