#pragma once

#include <windows.h>
// After windows.h, whose types it uses.
#include <bcrypt.h>

#include <memory>
#include <string>

#include "ports/DigestLibrary.h"

namespace velmora {

// DigestLibrary over Windows' CNG (bcrypt): the MD5 algorithm provider is opened once and
// each digest is a hash object of its own.
class CngDigestLibrary final : public DigestLibrary {
  public:
    // `implementation` names the CNG provider; the program passes none, Windows' own. One
    // that does not exist leaves the library unable to digest, which is how its failure is
    // tested.
    explicit CngDigestLibrary(const std::wstring& implementation = L"");

    std::unique_ptr<DigestContext> MD5Init() override;

  private:
    struct ProviderClose {
        void operator()(BCRYPT_ALG_HANDLE provider) const;
    };
    std::unique_ptr<void, ProviderClose> md5_;
};

}  // namespace velmora
