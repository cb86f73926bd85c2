#pragma once

#include <optional>
#include <string>

namespace velmora {

// What is wrong with a base URL an administrator gave for a company mirror, in the words the
// log uses; nothing when it is usable. Usable: http or https, a host, at most 2048
// characters of printable ASCII without blanks, and no query or fragment, to which names
// could not be joined.
std::optional<std::string> mirrorUrlProblem(const std::string& url);

// The base URL with its closing slash, so that names join to it as to the vendor's.
std::string mirrorBaseUrl(const std::string& url);

}  // namespace velmora
