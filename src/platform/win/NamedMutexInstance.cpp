#include "win/NamedMutexInstance.h"

#include <sddl.h>

#include <vector>

#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// The SID of the user the process runs as, as text (S-1-5-21-...): two users sharing a
// session (one started with "Run as") each get their own instance.
bool currentUserSid(std::wstring& sid) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const UniqueHandle ownedToken(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return false;
    }
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return false;
    }
    sid = text;
    ::LocalFree(text);
    return true;
}

}  // namespace

NamedMutexInstance::NamedMutexInstance(const std::string& baseName) {
    std::wstring sid;
    if (!currentUserSid(sid)) {
        problem_ = "cannot read the user's SID: " + describeLastWinError();
        return;
    }
    const std::wstring name = L"Local\\" + widen(baseName) + L"-" + sid;
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD code = ::GetLastError();
    if (!mutex_) {
        problem_ = "cannot create the mutex " + narrow(name) + ": " + describeWinError(code);
        return;
    }
    if (code == ERROR_ALREADY_EXISTS) {
        // Our handle would keep the mutex alive after its holder has gone.
        mutex_.reset();
        outcome_ = Outcome::HeldElsewhere;
        return;
    }
    outcome_ = Outcome::Acquired;
}

}  // namespace velmora
