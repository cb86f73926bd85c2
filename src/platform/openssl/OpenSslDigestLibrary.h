#pragma once

#include <memory>
#include <string>

#include "ports/DigestLibrary.h"

using EVP_MD = struct evp_md_st;

namespace velmora {

// DigestLibrary over OpenSSL's EVP interface (assembly-optimised MD5).
class OpenSslDigestLibrary final : public DigestLibrary {
  public:
    // `propertyQuery` selects among OpenSSL's providers; the program passes none. A query
    // that no loaded provider satisfies (such as "fips=yes" without the FIPS provider)
    // leaves the library unable to digest, which is how its failure is tested.
    explicit OpenSslDigestLibrary(const std::string& propertyQuery = "");
    ~OpenSslDigestLibrary() override;
    OpenSslDigestLibrary(const OpenSslDigestLibrary&) = delete;
    OpenSslDigestLibrary& operator=(const OpenSslDigestLibrary&) = delete;

    std::unique_ptr<DigestContext> MD5Init() override;

  private:
    EVP_MD* md5_ = nullptr;
};

}  // namespace velmora
