#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// The current user's security identifier as text ("S-1-5-21-..."), or empty text when it
// cannot be told.
std::wstring currentUserSid();

// Whether the process runs with an administrator's full rights (elevated, or with UAC off).
bool runsElevated();

// Whether `object`'s owner is the current user, SYSTEM or the Administrators: nobody else
// may have made a folder the program trusts with what it runs.
bool ownedByUserOrSystem(HANDLE object);

// Whether only the Administrators, SYSTEM and Windows' installer may change `path` (a file or
// a folder): its owner is one of them, and no access list entry lets anyone else write to
// it, delete it or change its permissions.
bool writableByAdministratorsOnly(const std::wstring& path);

// Security attributes for a folder that only the current user, SYSTEM and the
// Administrators may use: a protected DACL (nothing inherited from above) passed on to
// everything made inside.
class PrivateFolderSecurity {
  public:
    PrivateFolderSecurity();
    ~PrivateFolderSecurity();
    PrivateFolderSecurity(const PrivateFolderSecurity&) = delete;
    PrivateFolderSecurity& operator=(const PrivateFolderSecurity&) = delete;

    // Null when the descriptor could not be made (the folder is then not made either).
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }
    // Sets the descriptor's DACL on an existing folder.
    bool applyTo(const std::wstring& path);

  private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace velmora
