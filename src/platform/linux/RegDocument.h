#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/RegistryBackend.h"

namespace velmora {

// The keys and string values of one registry root in the text form of a registry export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Tessaloy\Velmora]
//   "IUP"="1"
//   @="the unnamed value"
//
// Strings are quoted with backslash and double quote escaped, which is all the program's
// settings need. Every other line (a comment, a `dword:` or `hex:` value and the lines that
// continue it, a hand edit gone wrong, a NUL or a byte that is not UTF-8) is kept byte for
// byte in its place and hides nothing but itself; a key line that cannot be read keeps the
// lines under it with it. Values the program does not change are written back as they were
// read. Lines may end in CR LF; LF is written. Key paths and value names match without
// regard to ASCII case.
class RegDocument {
  public:
    explicit RegDocument(std::string rootName);

    // Nothing when the text cannot be such an export at all: its first line that is not blank
    // (after a byte-order mark) is not the export header, as with binary junk or a UTF-16
    // export. The one place that decides whether a file is wholly damaged; an empty text is
    // an empty export.
    static std::optional<RegDocument> parse(std::string_view text, std::string rootName);
    std::string serialize() const;

    const RegistryValue* findValue(std::string_view keyPath, std::string_view valueName) const;

    // Every value in stored order with the path of its key and its name; comment lines are
    // not values.
    using ValueVisitor = std::function<void(const std::string& keyPath, const std::string& name,
                                            const RegistryValue& value)>;
    void forEachValue(const ValueVisitor& visit) const;
    // The lines written back as they stand, in stored order: comments, lines that cannot be
    // read and key lines that cannot be read.
    std::vector<std::string> keptLines() const;

    // Whether `value` can be written as a quoted string: text in UTF-8 with one NUL at its end
    // and no line break.
    static bool canHold(const RegistryValue& value);
    // These create the key (and so every key along its path) when it is missing. A value the
    // document cannot hold is refused (false) and changes nothing.
    bool setValue(std::string_view keyPath, std::string_view valueName, RegistryValue value);
    bool deleteValue(std::string_view keyPath, std::string_view valueName);

  private:
    struct Entry {
        std::string name;  // empty for the unnamed value
        RegistryValue value;
        std::string storedForm;  // the text after "=" as read, written back unless changed
        // When not empty, a line written back as it stands instead of a value: a ";" comment
        // or a line that cannot be read.
        std::string keptLine;
    };
    struct Key {
        std::string path;  // for a key line that cannot be read, that line as it stands
        std::vector<Entry> entries;
        bool readable = true;
    };

    // The index of the key stored under exactly this path, or keys_.size().
    std::size_t findKey(std::string_view keyPath) const;
    Key& createKey(std::string_view keyPath);
    std::string spellingForNewKey(std::string_view keyPath) const;

    std::string rootName_;
    std::vector<std::string> leadingLines_;  // comments and unreadable lines before any key
    std::vector<Key> keys_;

    friend class RegDocumentParser;
};

// Well-formed UTF-8 without NUL bytes: what a text editor leaves, and not what binary junk,
// a UTF-16 export or a file in a legacy code page look like.
bool isUtf8Text(std::string_view text);

// ASCII-only case-insensitive comparison, the way key paths and value names match.
bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right);

}  // namespace velmora
