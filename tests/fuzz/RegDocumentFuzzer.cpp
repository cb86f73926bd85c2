// The registry stand-in file: any bytes as a file. What parses is written, parsed again and
// must give the same values; writing that again gives the same text. When the input holds
// NUL bytes, the pieces after the first one are a key path, a value name and the value's
// bytes to store: the file written then reads back with that value and every other one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "FuzzCheck.h"
#include "linux/RegDocument.h"

namespace {

using velmora::RegDocument;
using velmora::RegistryValue;
using velmora::fuzz::check;

using Values = std::vector<std::tuple<std::string, std::string, RegistryValue>>;

Values valuesOf(const RegDocument& document) {
    Values values;
    document.forEachValue(
        [&](const std::string& keyPath, const std::string& name, const RegistryValue& value) {
            values.emplace_back(keyPath, name, value);
        });
    return values;
}

std::vector<std::string> splitAtNul(std::string_view input) {
    std::vector<std::string> pieces;
    while (true) {
        const std::size_t cut = input.find('\0');
        pieces.emplace_back(input.substr(0, cut));
        if (cut == std::string_view::npos) {
            return pieces;
        }
        input.remove_prefix(cut + 1);
    }
}

// Names with a line break or NUL, or that are not UTF-8, are refused before they reach the
// document.
bool canHoldName(const std::string& name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos &&
           velmora::isUtf8Text(name);
}

RegDocument reparsed(const RegDocument& document, const std::string& root) {
    const std::string written = document.serialize();
    auto again = RegDocument::parse(written, root);
    check(again.has_value(), "what was written parses");
    check(valuesOf(*again) == valuesOf(document), "parsing what was written gives the values");
    check(again->keptLines() == document.keptLines(), "lines kept as they stand stay so");
    check(again->serialize() == written, "writing again gives the same text");
    return std::move(*again);
}

void storeAndReadBack(RegDocument document, const std::string& root,
                      const std::vector<std::string>& pieces) {
    const std::string& keyPath = pieces[1];
    const std::string& name = pieces.size() > 2 ? pieces[2] : std::string();
    if (!canHoldName(keyPath) || !canHoldName(name)) {
        return;
    }
    std::string bytes = pieces.size() > 3 ? pieces[3] : std::string();
    std::uint32_t type = velmora::kRegSz;
    if (!bytes.empty()) {
        type = static_cast<unsigned char>(bytes.front()) % 6;
        bytes.erase(0, 1);
    }
    if (pieces.size() > 4) {
        bytes += '\0';  // a string value as the program writes it
    }
    const RegistryValue value{type, bytes};
    const auto keptBefore = document.keptLines();
    const bool held = document.setValue(keyPath, name, value);
    check(held == RegDocument::canHold(value), "only what cannot be written is refused");
    check(document.keptLines() == keptBefore, "storing keeps every line it cannot read");
    if (!held) {
        return;
    }
    RegDocument again = reparsed(document, root);
    const RegistryValue* found = again.findValue(keyPath, name);
    check(found != nullptr && *found == value, "the stored value reads back");
    check(again.deleteValue(keyPath, name), "the stored value can be deleted");
    check(reparsed(again, root).findValue(keyPath, name) == nullptr, "a deleted value stays away");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto pieces = splitAtNul(input);
    std::string root = "HKEY_CURRENT_USER";
    auto document = RegDocument::parse(pieces.front(), root);
    if (!document) {
        root = "HKEY_LOCAL_MACHINE";
        document = RegDocument::parse(pieces.front(), root);
    }
    if (!document) {
        return 0;
    }
    const RegDocument written = reparsed(*document, root);
    if (pieces.size() > 1) {
        storeAndReadBack(written, root, pieces);
    }
    return 0;
}
