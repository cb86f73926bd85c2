#include "http/Redirects.h"

#include <algorithm>
#include <optional>

namespace velmora {

namespace {

enum class WebScheme { Http, Https };

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return a == ((b >= 'A' && b <= 'Z') ? static_cast<char>(b - 'A' + 'a') : b);
           });
}

std::optional<WebScheme> webSchemeOf(std::string_view url) {
    if (startsWithIgnoringCase(url, "http://")) {
        return WebScheme::Http;
    }
    if (startsWithIgnoringCase(url, "https://")) {
        return WebScheme::Https;
    }
    return std::nullopt;
}

}  // namespace

bool mayFollowRedirect(std::string_view from, std::string_view to, int followed) {
    const std::optional<WebScheme> target = webSchemeOf(to);
    const bool downgrade = webSchemeOf(from) == WebScheme::Https && target == WebScheme::Http;
    return followed < kMaxRedirects && target && !downgrade;
}

}  // namespace velmora
