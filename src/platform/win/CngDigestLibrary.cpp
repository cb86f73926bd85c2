#include "win/CngDigestLibrary.h"

#include <algorithm>
#include <climits>

namespace velmora {

namespace {

struct HashDestroy {
    void operator()(BCRYPT_HASH_HANDLE hash) const { ::BCryptDestroyHash(hash); }
};
using HashHandle = std::unique_ptr<void, HashDestroy>;

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

class CngDigestContext final : public DigestContext {
  public:
    explicit CngDigestContext(HashHandle hash) : hash_(std::move(hash)) {}

    // CNG takes at most 4 GiB - 1 bytes a call.
    bool MD5Update(const std::uint8_t* data, std::size_t length) override {
        while (length > 0) {
            const auto step = static_cast<ULONG>(std::min<std::size_t>(length, ULONG_MAX));
            // BCryptHashData only reads its input; its parameter merely lacks the const.
            auto* input =
                const_cast<PUCHAR>(data);  // NOLINT(cppcoreguidelines-pro-type-const-cast)
            if (!succeeded(::BCryptHashData(hash_.get(), input, step, 0))) {
                return false;
            }
            data += step;
            length -= step;
        }
        return true;
    }

    bool MD5Final(Md5Digest& digest) override {
        return succeeded(
            ::BCryptFinishHash(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
    }

  private:
    HashHandle hash_;
};

}  // namespace

void CngDigestLibrary::ProviderClose::operator()(BCRYPT_ALG_HANDLE provider) const {
    ::BCryptCloseAlgorithmProvider(provider, 0);
}

CngDigestLibrary::CngDigestLibrary(const std::wstring& implementation) {
    BCRYPT_ALG_HANDLE provider = nullptr;
    if (succeeded(::BCryptOpenAlgorithmProvider(
            &provider, BCRYPT_MD5_ALGORITHM,
            implementation.empty() ? nullptr : implementation.c_str(), 0))) {
        md5_.reset(provider);
    }
}

std::unique_ptr<DigestContext> CngDigestLibrary::MD5Init() {
    if (!md5_) {
        return nullptr;
    }
    // Windows 7 and later keep the hash object's memory themselves.
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!succeeded(::BCryptCreateHash(md5_.get(), &hash, nullptr, 0, nullptr, 0, 0))) {
        return nullptr;
    }
    return std::make_unique<CngDigestContext>(HashHandle(hash));
}

}  // namespace velmora
