#include "update/InstalledDefinitions.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {

namespace {

constexpr std::string_view kLowerBound = "00010101.000";
constexpr std::string_view kUpperBound = "99991231.999";

bool isHidden(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

bool isAscii(const std::string& name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Attributes are read through links, so a link to a definitions folder counts as one. An
// entry whose attributes cannot be read (it vanished, it is a dangling link or a link
// loop) is skipped.
bool isFolder(const std::filesystem::path& entry) {
    std::error_code error;
    return std::filesystem::is_directory(entry, error) && !error;
}

// A name that is not plain ASCII cannot be a definitions folder and would not survive the
// cut at the 9th character, so it is skipped rather than compared byte by byte.
bool qualifies(const std::filesystem::path& folder, const std::string& name,
               const std::string& best) {
    return !isHidden(name) && isAscii(name) && isFolder(folder / name) && name.size() == 12 &&
           name > kLowerBound && name < kUpperBound && name > best;
}

}  // namespace

std::string GetInstalledDefinitions(const std::string& commonProgramFiles) {
    const std::filesystem::path folder(commonProgramFiles + "/Corvane Shared/Definitions/");
    std::string best;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    // A listing that fails part-way keeps what it found until then.
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (qualifies(folder, name, best)) {
            best = name;
        }
    }
    if (best.empty()) {
        return best;
    }
    return best.substr(0, 8) + "-" + best.substr(9);
}

}  // namespace velmora
