#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// Paths from the program's UTF-8 text and back. On Windows std::filesystem takes a narrow
// string in the system's code page, which would garble a Japanese folder name; through
// char8_t the text is read as UTF-8 on every system.
inline std::filesystem::path utf8Path(std::string_view text) {
    return {std::u8string(text.begin(), text.end())};
}

inline std::string utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace velmora
