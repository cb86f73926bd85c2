#include "linux/RegDocument.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> pieces;
    while (true) {
        const std::size_t cut = path.find('\\');
        pieces.push_back(path.substr(0, cut));
        if (cut == std::string_view::npos) {
            return pieces;
        }
        path.remove_prefix(cut + 1);
    }
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

// Reads a quoted text at the start of `text` and removes it from `text`.
std::optional<std::string> takeQuoted(std::string_view& text) {
    if (text.empty() || text.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return std::nullopt;
            }
            ++i;
        }
        out += text[i];
    }
    return std::nullopt;
}

// A quoted text and nothing after it: the only kind of value the program reads. Numbers,
// binary data and every other kind are lines it does not understand.
std::optional<RegistryValue> parseValueData(std::string_view data) {
    auto text = takeQuoted(data);
    if (!text || !trimmed(data).empty()) {
        return std::nullopt;
    }
    return RegistryValue{kRegSz, *text + '\0'};
}

}  // namespace

bool isUtf8Text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead == 0) {
            return false;
        }
        std::size_t length = 1;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
            high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing beyond U+10FFFF
        } else if (lead >= 0x80) {
            return false;
        }
        if (length > text.size() - i) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

namespace {

std::string formatName(std::string_view name) {
    return name.empty() ? std::string("@") : quoted(name);
}

}  // namespace

bool RegDocument::canHold(const RegistryValue& value) {
    const std::string& data = value.data;
    return value.type == kRegSz && !data.empty() && data.back() == '\0' &&
           data.find_first_of(std::string_view("\0\r\n", 3)) == data.size() - 1 &&
           isUtf8Text(std::string_view(data).substr(0, data.size() - 1));
}

bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
}

// Reads an export line by line. A line it cannot read, damaged bytes (a NUL, bytes that are
// not UTF-8) included, is kept as it stands and shadows nothing around it; only a text whose
// first line is not the export header is refused whole.
class RegDocumentParser {
  public:
    RegDocumentParser(std::string_view text, std::string rootName)
        : document_(std::move(rootName)) {
        if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            text.remove_prefix(kByteOrderMark.size());
        }
        text_ = text;
    }

    std::optional<RegDocument> run() {
        bool headerSeen = false;
        while (!text_.empty()) {
            const std::string_view line = nextLine();
            const std::string_view content = trimmed(line);
            if (content.empty()) {
                continue;
            }
            if (!headerSeen) {
                if (content != kHeader && content != kOldHeader) {
                    return std::nullopt;
                }
                headerSeen = true;
                continue;
            }
            consumed_ = std::string(line);
            if (!takeLine(content)) {
                keep(std::move(consumed_));
            }
        }
        return std::move(document_);
    }

  private:
    // Line ends are LF, CR LF, or CR CR LF from a file converted twice: every CR before the
    // LF belongs to the line end, so a line is written back the same each time.
    std::string_view nextLine() {
        const std::size_t end = text_.find('\n');
        std::string_view line = text_.substr(0, end);
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return line;
    }

    bool takeLine(std::string_view content) {
        if (content.front() == ';') {
            // A CR left at the end could not be written back as it was read: the next
            // reading would take it for part of the line end.
            while (content.back() == '\r' || isBlank(content.back())) {
                content.remove_suffix(1);
            }
            keep(std::string(content));
            return true;
        }
        if (content.front() == '[') {
            return takeKeyLine(content);
        }
        if (content.front() == '"' || content.front() == '@') {
            return takeValueLine(content);
        }
        return false;
    }

    // A line written back as it stands, in its place: before the first key or under the
    // key (readable or not) it follows.
    void keep(std::string line) {
        if (current_ < document_.keys_.size()) {
            currentKey().entries.push_back({{}, {}, {}, std::move(line)});
        } else {
            document_.leadingLines_.push_back(std::move(line));
        }
    }

    bool takeKeyLine(std::string_view content) {
        const auto path = keyPathOf(content);
        if (!path) {
            // The lines under it belong to a key that cannot be named: they stay with it
            // rather than join the key before.
            document_.keys_.push_back({std::move(consumed_), {}, false});
            current_ = document_.keys_.size() - 1;
            return true;
        }
        current_ = document_.findKey(*path);
        if (current_ == document_.keys_.size()) {
            document_.keys_.push_back({std::string(*path), {}, true});
        }
        return true;
    }

    std::optional<std::string_view> keyPathOf(std::string_view content) const {
        if (content.back() != ']' || !isUtf8Text(content)) {
            return std::nullopt;
        }
        const std::string_view name = content.substr(1, content.size() - 2);
        const std::string& root = document_.rootName_;
        if (!startsWithIgnoringCase(name, root)) {
            return std::nullopt;
        }
        std::string_view path = name.substr(root.size());
        if (!path.empty()) {
            if (path.front() != '\\') {
                return std::nullopt;
            }
            path.remove_prefix(1);
        }
        return path;
    }

    bool takeValueLine(std::string_view content) {
        std::string name;
        if (!takeName(content, name)) {
            return false;
        }
        std::string storedForm(trimmed(content.substr(1)));
        // The continuation lines of a hex list belong to its line, which is kept as it
        // stands. A list cut off at the end of the file gets the empty line it asks for, so
        // that whatever is written after it later is not taken for its continuation.
        while (startsWithIgnoringCase(storedForm, "hex") && storedForm.back() == '\\') {
            const std::string_view next = nextLine();
            storedForm += '\n';
            storedForm += next;
            consumed_ += '\n';
            consumed_ += next;
        }
        if (!insideReadableKey() || !isUtf8Text(consumed_)) {
            return false;
        }
        auto value = parseValueData(storedForm);
        if (!value) {
            return false;
        }
        store(std::move(name), std::move(*value), std::move(storedForm));
        return true;
    }

    // The value's name and, left in `content`, the "=" and what follows.
    static bool takeName(std::string_view& content, std::string& name) {
        if (content.front() == '@') {
            content.remove_prefix(1);
        } else {
            auto quotedName = takeQuoted(content);
            if (!quotedName) {
                return false;
            }
            name = std::move(*quotedName);
        }
        content = trimmed(content);
        return !content.empty() && content.front() == '=';
    }

    void store(std::string name, RegistryValue value, std::string storedForm) {
        for (auto& entry : currentKey().entries) {
            if (entry.keptLine.empty() && equalsIgnoringAsciiCase(entry.name, name)) {
                entry.value = std::move(value);
                entry.storedForm = std::move(storedForm);
                return;
            }
        }
        currentKey().entries.push_back(
            {std::move(name), std::move(value), std::move(storedForm), {}});
    }

    bool insideReadableKey() const {
        return current_ < document_.keys_.size() && document_.keys_[current_].readable;
    }
    RegDocument::Key& currentKey() { return document_.keys_[current_]; }

    std::string_view text_;
    std::string consumed_;  // the physical lines of the line being read, as they stand
    RegDocument document_;
    std::size_t current_ = static_cast<std::size_t>(-1);
};

RegDocument::RegDocument(std::string rootName) : rootName_(std::move(rootName)) {}

std::optional<RegDocument> RegDocument::parse(std::string_view text, std::string rootName) {
    return RegDocumentParser(text, std::move(rootName)).run();
}

std::string RegDocument::serialize() const {
    std::string out(kHeader);
    out += '\n';
    for (const auto& line : leadingLines_) {
        out += line + '\n';
    }
    for (const auto& key : keys_) {
        if (key.readable) {
            out += "\n[" + rootName_ + (key.path.empty() ? "" : "\\") + key.path + "]\n";
        } else {
            out += "\n" + key.path + '\n';
        }
        for (const auto& entry : key.entries) {
            if (!entry.keptLine.empty()) {
                out += entry.keptLine + '\n';
            } else {
                out += formatName(entry.name) + '=' + entry.storedForm + '\n';
            }
        }
    }
    return out;
}

const RegistryValue* RegDocument::findValue(std::string_view keyPath,
                                            std::string_view valueName) const {
    const std::size_t index = findKey(keyPath);
    if (index == keys_.size()) {
        return nullptr;
    }
    for (const auto& entry : keys_[index].entries) {
        if (entry.keptLine.empty() && equalsIgnoringAsciiCase(entry.name, valueName)) {
            return &entry.value;
        }
    }
    return nullptr;
}

void RegDocument::forEachValue(const ValueVisitor& visit) const {
    for (const auto& key : keys_) {
        for (const auto& entry : key.entries) {
            if (entry.keptLine.empty()) {
                visit(key.path, entry.name, entry.value);
            }
        }
    }
}

std::vector<std::string> RegDocument::keptLines() const {
    std::vector<std::string> lines(leadingLines_);
    for (const auto& key : keys_) {
        if (!key.readable) {
            lines.push_back(key.path);
        }
        for (const auto& entry : key.entries) {
            if (!entry.keptLine.empty()) {
                lines.push_back(entry.keptLine);
            }
        }
    }
    return lines;
}

bool RegDocument::setValue(std::string_view keyPath, std::string_view valueName,
                           RegistryValue value) {
    if (!canHold(value)) {
        return false;
    }
    Key& key = createKey(keyPath);
    std::string storedForm = quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
    for (auto& entry : key.entries) {
        if (entry.keptLine.empty() && equalsIgnoringAsciiCase(entry.name, valueName)) {
            entry.value = std::move(value);
            entry.storedForm = std::move(storedForm);
            return true;
        }
    }
    key.entries.push_back({std::string(valueName), std::move(value), std::move(storedForm), {}});
    return true;
}

bool RegDocument::deleteValue(std::string_view keyPath, std::string_view valueName) {
    Key& key = createKey(keyPath);
    const auto found = std::find_if(key.entries.begin(), key.entries.end(), [&](const Entry& e) {
        return e.keptLine.empty() && equalsIgnoringAsciiCase(e.name, valueName);
    });
    if (found == key.entries.end()) {
        return false;
    }
    key.entries.erase(found);
    return true;
}

std::size_t RegDocument::findKey(std::string_view keyPath) const {
    const auto found = std::find_if(keys_.begin(), keys_.end(), [&](const Key& key) {
        return key.readable && equalsIgnoringAsciiCase(key.path, keyPath);
    });
    return static_cast<std::size_t>(found - keys_.begin());
}

RegDocument::Key& RegDocument::createKey(std::string_view keyPath) {
    if (const std::size_t existing = findKey(keyPath); existing < keys_.size()) {
        return keys_[existing];
    }
    keys_.push_back({spellingForNewKey(keyPath), {}, true});
    return keys_.back();
}

// A new key keeps the spelling of the keys along its path that exist already.
std::string RegDocument::spellingForNewKey(std::string_view keyPath) const {
    const auto wanted = splitPath(keyPath);
    std::vector<std::string_view> best;
    for (const auto& key : keys_) {
        if (!key.readable) {
            continue;
        }
        const auto stored = splitPath(key.path);
        std::size_t shared = 0;
        while (shared < stored.size() && shared < wanted.size() &&
               equalsIgnoringAsciiCase(stored[shared], wanted[shared])) {
            ++shared;
        }
        if (shared > best.size()) {
            best.assign(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(shared));
        }
    }
    std::string spelling;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        spelling += (i == 0 ? "" : "\\");
        spelling += i < best.size() ? best[i] : wanted[i];
    }
    return spelling;
}

}  // namespace velmora
