#pragma once

#include <string_view>

namespace velmora {

// At most this many redirects are followed in one fetch.
constexpr int kMaxRedirects = 10;

// Whether a fetch that has followed `followed` redirects so far may follow one from the URL
// `from` to the absolute URL `to`: only to an http or https URL, never from https back to
// plain http (which would hand a secured download to anyone on the way), and at most
// kMaxRedirects times. Every HTTP adapter asks this before it follows a redirect.
bool mayFollowRedirect(std::string_view from, std::string_view to, int followed);

}  // namespace velmora
