#pragma once

#include <windows.h>

#include <string>

#include "ports/RegistryBackend.h"

namespace velmora {

// What a backend may do with the keys it opens. ReadOnly asks for the right to read values
// and nothing more, which is all an ordinary user has on the machine's policies, and refuses
// every change with AccessDenied without touching the registry.
enum class RegistryAccess { ReadWrite, ReadOnly };

// The Windows registry through advapi32's wide functions. Text values (REG_SZ and the other
// string types) are UTF-16 in the registry and UTF-8 in the program: they are converted here,
// NULs included, so that other programs and regedit see the same text. Refusals come back as
// the registry's own status; reading that fails for any other reason counts as an unreadable
// store, and a change that fails so is thrown as std::system_error with the Win32 code.
class WinRegistryBackend final : public RegistryBackend {
  public:
    // The keys standing for the two roots; tests give keys of a scratch tree. The keys are
    // not owned and must outlive the backend.
    explicit WinRegistryBackend(HKEY currentUser = HKEY_CURRENT_USER,
                                HKEY localMachine = HKEY_LOCAL_MACHINE,
                                RegistryAccess access = RegistryAccess::ReadWrite);

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override;
    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override;
    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override;
    // The root's name as regedit shows it, for the predefined roots; empty for others.
    std::string storeLocation(RootKey root) const override;

  private:
    HKEY rootKey(RootKey root) const;

    HKEY currentUser_;
    HKEY localMachine_;
    RegistryAccess access_;
};

}  // namespace velmora
