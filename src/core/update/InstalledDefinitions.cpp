#include "update/InstalledDefinitions.h"

#include <algorithm>
#include <filesystem>

#include "ports/Utf8Path.h"

namespace velmora {

namespace {

constexpr std::string_view kLowerBound = "00010101.000";
constexpr std::string_view kUpperBound = "99991231.999";

bool isAscii(const std::string& name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A name that is not plain ASCII cannot be a definitions folder and would not survive the
// cut at the 9th character, so it is skipped rather than compared byte by byte.
bool qualifies(const std::string& name, const std::string& best) {
    return isAscii(name) && name.size() == 12 && name > kLowerBound && name < kUpperBound &&
           name > best;
}

}  // namespace

std::string definitionsFolder(const SpecialFolders& folders) {
    return folders.commonProgramFiles() + "/Corvane Shared/Definitions/";
}

std::string findInstalledDefinitions(const SpecialFolders& folders) {
    std::string best;
    for (const std::string& name :
         folders.visibleSubfolders(utf8Path(definitionsFolder(folders)))) {
        if (qualifies(name, best)) {
            best = name;
        }
    }
    if (best.empty()) {
        return best;
    }
    return best.substr(0, 8) + "-" + best.substr(9);
}

}  // namespace velmora
