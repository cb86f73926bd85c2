#include "update/MirrorUrl.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string_view>

namespace velmora {

namespace {

// As much as the Group Policy template lets an administrator type.
constexpr std::size_t kLongestUrl = 2048;

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char given) {
               return std::tolower(static_cast<unsigned char>(given)) == lower;
           });
}

// The scheme's length with "://", or 0 for any scheme but http and https.
std::size_t webSchemeLength(std::string_view url) {
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (startsWithIgnoringCase(url, scheme)) {
            return scheme.size();
        }
    }
    return 0;
}

// The host of an authority "user@host:port", without the user and the port.
std::string_view hostOf(std::string_view authority) {
    authority = authority.substr(authority.rfind('@') + 1);
    if (authority.starts_with('[')) {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.find(':'));
}

}  // namespace

std::optional<std::string> mirrorUrlProblem(const std::string& url) {
    if (url.empty()) {
        return "空です";
    }
    if (url.size() > kLongestUrl) {
        return "長すぎます";
    }
    if (std::any_of(url.begin(), url.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte <= 0x20 || byte >= 0x7F;
        })) {
        return "空白か制御文字か ASCII 以外の文字を含みます";
    }
    const std::size_t schemeLength = webSchemeLength(url);
    if (schemeLength == 0) {
        return "http か https の URL ではありません";
    }
    const std::string_view rest = std::string_view(url).substr(schemeLength);
    if (hostOf(rest.substr(0, rest.find('/'))).empty()) {
        return "ホスト名がありません";
    }
    if (url.find_first_of("?#") != std::string::npos) {
        return "問い合わせか断片を含みます";
    }
    return std::nullopt;
}

std::string mirrorBaseUrl(const std::string& url) {
    return url.ends_with('/') ? url : url + "/";
}

}  // namespace velmora
