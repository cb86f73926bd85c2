#include "platform/digest/OpenSslDigestLibrary.h"

#include <openssl/err.h>
#include <openssl/evp.h>

namespace velmora {

namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class OpenSslDigestContext final : public DigestContext {
  public:
    explicit OpenSslDigestContext(std::unique_ptr<EVP_MD_CTX, ContextFree> context)
        : context_(std::move(context)) {}

    bool MD5Update(const std::uint8_t* data, std::size_t length) override {
        return succeeded(EVP_DigestUpdate(context_.get(), data, length) == 1);
    }

    bool MD5Final(Md5Digest& digest) override {
        unsigned int written = 0;
        const bool finished = EVP_DigestFinal_ex(context_.get(), digest.data(), &written) == 1;
        return succeeded(finished && written == digest.size());
    }

  private:
    // A failure leaves no stale entries in OpenSSL's per-thread error queue.
    static bool succeeded(bool ok) {
        if (!ok) {
            ERR_clear_error();
        }
        return ok;
    }

    std::unique_ptr<EVP_MD_CTX, ContextFree> context_;
};

}  // namespace

OpenSslDigestLibrary::OpenSslDigestLibrary(const std::string& propertyQuery)
    : md5_(EVP_MD_fetch(nullptr, "MD5", propertyQuery.empty() ? nullptr : propertyQuery.c_str())) {
    if (md5_ == nullptr) {
        ERR_clear_error();
    }
}

OpenSslDigestLibrary::~OpenSslDigestLibrary() {
    EVP_MD_free(md5_);
}

std::unique_ptr<DigestContext> OpenSslDigestLibrary::MD5Init() {
    if (md5_ == nullptr) {
        return nullptr;
    }
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex2(context.get(), md5_, nullptr) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    return std::make_unique<OpenSslDigestContext>(std::move(context));
}

}  // namespace velmora
