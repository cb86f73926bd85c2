#include "update/DefinitionName.h"

#include <algorithm>
#include <string_view>

namespace velmora {

namespace {

bool isDecimal(std::string_view piece) {
    return !piece.empty() &&
           std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A decimal piece without its leading zeros, at least one digit ("017" gives "17", "00"
// gives "0"). A piece that is not decimal (a loosely named folder such as 2004111A.XYZ) is
// shown as it stands rather than hidden behind the placeholder, so the user still sees
// which set is installed.
std::string numberWithoutLeadingZeros(std::string_view piece) {
    if (!isDecimal(piece)) {
        return std::string(piece);
    }
    const std::size_t firstSignificant = piece.find_first_not_of('0');
    if (firstSignificant == std::string_view::npos) {
        return "0";
    }
    return std::string(piece.substr(firstSignificant));
}

}  // namespace

std::string formatDefinitionName(const std::string& name) {
    if (name.size() != 12) {
        return kNoDefinitionName;
    }
    const std::string_view text(name);
    return numberWithoutLeadingZeros(text.substr(0, 4)) + "/" +
           numberWithoutLeadingZeros(text.substr(4, 2)) + "/" +
           numberWithoutLeadingZeros(text.substr(6, 2)) + " rev. " +
           numberWithoutLeadingZeros(text.substr(9, 3));
}

}  // namespace velmora
