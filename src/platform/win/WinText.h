#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The core keeps its text in UTF-8; Windows' wide functions take UTF-16. Text that is not
// valid in its encoding is converted with the replacement character in place of the bad
// units, never cut short.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace velmora
