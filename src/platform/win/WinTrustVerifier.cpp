#include "win/WinTrustVerifier.h"

// wintrust.h and softpub.h need windows.h before them.
// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include <string>

#include "win/OpenFilePath.h"
#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// A distinguished name written with ", " between its parts, values quoted where needed.
std::string nameText(const CERT_NAME_BLOB& name) {
    // The call takes the name as writable but only reads it.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast)
    auto* blob = const_cast<CERT_NAME_BLOB*>(&name);
    DWORD length = ::CertNameToStrW(X509_ASN_ENCODING, blob, CERT_X500_NAME_STR, nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring text(length, L'\0');
    length = ::CertNameToStrW(X509_ASN_ENCODING, blob, CERT_X500_NAME_STR, text.data(), length);
    text.resize(length > 0 ? length - 1 : 0);
    return narrow(text);
}

// One WinVerifyTrust of the file, its state closed again on every way out.
class TrustCheck {
  public:
    TrustCheck(HANDLE file, const std::wstring& path, DWORD revocation) {
        file_.cbStruct = sizeof file_;
        file_.pcwszFilePath = path.c_str();
        file_.hFile = file;
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = revocation;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        status_ = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
        lastError_ = ::GetLastError();
    }
    ~TrustCheck() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
    }
    TrustCheck(const TrustCheck&) = delete;
    TrustCheck& operator=(const TrustCheck&) = delete;

    LONG status() const { return status_; }
    // What Windows said of a file with no signature it could read: the file carries none
    // (or none of a kind it knows), or its signature is damaged.
    bool carriesNoSignature() const {
        return status_ == TRUST_E_NOSIGNATURE &&
               (lastError_ == static_cast<DWORD>(TRUST_E_NOSIGNATURE) ||
                lastError_ == static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN) ||
                lastError_ == static_cast<DWORD>(TRUST_E_PROVIDER_UNKNOWN));
    }

    // The signer's certificate: subject and issuer.
    std::string publisher() const {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data_.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer =
            provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        CRYPT_PROVIDER_CERT* certificate =
            signer ? ::WTHelperGetProvCertFromChain(signer, 0) : nullptr;
        if (certificate == nullptr || certificate->pCert == nullptr) {
            return {};
        }
        const CERT_INFO& info = *certificate->pCert->pCertInfo;
        return publisherText(nameText(info.Subject), nameText(info.Issuer));
    }

  private:
    WINTRUST_FILE_INFO file_{};
    WINTRUST_DATA data_{};
    LONG status_ = 0;
    DWORD lastError_ = 0;
};

bool revocationUnknown(LONG status) {
    return status == CERT_E_REVOCATION_FAILURE || status == CRYPT_E_REVOCATION_OFFLINE ||
           status == CRYPT_E_NO_REVOCATION_CHECK;
}

SignatureCheck validBy(const TrustCheck& check) {
    return {SignatureCheck::Verdict::Valid, check.publisher(), ""};
}

}  // namespace

SignatureCheck WinTrustVerifier::check(const SavedPackage& package) {
    HANDLE file = reinterpret_cast<HANDLE>(package.handle());
    std::wstring path;
    if (!pathOfOpenFile(file, path)) {
        return {SignatureCheck::Verdict::Invalid, "", describeLastWinError()};
    }
    const TrustCheck whole(file, path, WTD_REVOKE_WHOLECHAIN);
    if (whole.status() == ERROR_SUCCESS) {
        return validBy(whole);
    }
    if (whole.carriesNoSignature()) {
        return {SignatureCheck::Verdict::Unsigned, "", ""};
    }
    if (revocationUnknown(whole.status())) {
        // The cache cannot tell: everything else must hold all the same.
        const TrustCheck withoutRevocation(file, path, WTD_REVOKE_NONE);
        if (withoutRevocation.status() == ERROR_SUCCESS) {
            return validBy(withoutRevocation);
        }
        return {SignatureCheck::Verdict::Invalid, "",
                describeWinError(static_cast<DWORD>(withoutRevocation.status()))};
    }
    return {SignatureCheck::Verdict::Invalid, "",
            describeWinError(static_cast<DWORD>(whole.status()))};
}

}  // namespace velmora
