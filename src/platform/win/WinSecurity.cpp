#include "win/WinSecurity.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "win/UniqueHandle.h"

namespace velmora {

namespace {

// The user of the process token, in a buffer that holds the SID it points into.
std::vector<BYTE> tokenUser() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return {};
    }
    const UniqueHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

PSID userSid(std::vector<BYTE>& user) {
    return user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
}

}  // namespace

std::wstring currentUserSid() {
    std::vector<BYTE> user = tokenUser();
    wchar_t* text = nullptr;
    if (userSid(user) == nullptr || !::ConvertSidToStringSidW(userSid(user), &text)) {
        return {};
    }
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

bool runsElevated() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return false;
    }
    const UniqueHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                                 &size) &&
           elevation.TokenIsElevated != 0;
}

bool ownedByUserOrSystem(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<BYTE> user = tokenUser();
    const bool trusted =
        owner != nullptr && ((userSid(user) != nullptr && ::EqualSid(owner, userSid(user))) ||
                             ::IsWellKnownSid(owner, WinLocalSystemSid) ||
                             ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    ::LocalFree(descriptor);
    return trusted;
}

namespace {

// The Administrators, SYSTEM and TrustedInstaller, Windows' own installer service.
bool isAdministrativeSid(PSID sid) {
    static constexpr const wchar_t* kTrustedInstaller =
        L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    if (::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
        ::IsWellKnownSid(sid, WinLocalSystemSid)) {
        return true;
    }
    PSID installer = nullptr;
    if (!::ConvertStringSidToSidW(kTrustedInstaller, &installer)) {
        return false;
    }
    const bool same = ::EqualSid(sid, installer) != FALSE;
    ::LocalFree(installer);
    return same;
}

constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                        FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

}  // namespace

bool writableByAdministratorsOnly(const std::wstring& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    // No DACL at all lets everyone do everything.
    bool onlyAdministrators = owner != nullptr && isAdministrativeSid(owner) && dacl != nullptr;
    for (DWORD i = 0; onlyAdministrators && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) {
            onlyAdministrators = false;
            break;
        }
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & kChangingRights) != 0 && !isAdministrativeSid(&allowed->SidStart)) {
            onlyAdministrators = false;
        }
    }
    ::LocalFree(descriptor);
    return onlyAdministrators;
}

PrivateFolderSecurity::PrivateFolderSecurity() {
    const std::wstring user = currentUserSid();
    if (user.empty()) {
        return;
    }
    // P: protected from inheritance; OICI: passed on to files and folders inside; FA: all.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + user + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor_, nullptr)) {
        descriptor_ = nullptr;
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

bool PrivateFolderSecurity::applyTo(const std::wstring& path) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (descriptor_ == nullptr ||
        !::GetSecurityDescriptorDacl(descriptor_, &present, &dacl, &defaulted) || !present) {
        return false;
    }
    // The call takes the name as writable but only reads it.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast)
    return ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

PrivateFolderSecurity::~PrivateFolderSecurity() {
    if (descriptor_ != nullptr) {
        ::LocalFree(descriptor_);
    }
}

}  // namespace velmora
