#include "openssl/OpenSslDigestLibrary.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <algorithm>

namespace velmora {

namespace {

// A large buffer streams in from memory, and the digest waits for it: fed to OpenSSL in
// small steps, each with the step after it requested ahead of time, MD5 runs at the speed
// it has on data already in the cache (bench/README.md has the figures). It is still a
// single pass over the bytes.
constexpr std::size_t kStepBytes = 1024;
constexpr std::size_t kCacheLineBytes = 64;

void prefetch(const std::uint8_t* data, std::size_t length) {
    for (std::size_t offset = 0; offset < length; offset += kCacheLineBytes) {
        __builtin_prefetch(data + offset);
    }
}

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class OpenSslDigestContext final : public DigestContext {
  public:
    explicit OpenSslDigestContext(std::unique_ptr<EVP_MD_CTX, ContextFree> context)
        : context_(std::move(context)) {}

    bool MD5Update(const std::uint8_t* data, std::size_t length) override {
        for (std::size_t offset = 0; offset < length; offset += kStepBytes) {
            const std::size_t step = std::min(kStepBytes, length - offset);
            prefetch(data + offset + step, std::min(kStepBytes, length - offset - step));
            if (EVP_DigestUpdate(context_.get(), data + offset, step) != 1) {
                return succeeded(false);
            }
        }
        return true;
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
