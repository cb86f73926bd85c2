#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryBackend.h"

namespace velmora {

// The keys and values of one registry root in the text form of a registry export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Tessaloy\Velmora]
//   "IUP"="1"
//   "Auto"=dword:00000001
//
// Strings are quoted with backslash and double quote escaped; `dword:`, `hex:` and `hex(N):`
// values and `@` (the unnamed value) are understood, and values the program does not change
// are written back exactly as they were read, comments included. Lines may end in CR LF;
// LF is written. Key paths and value names match without regard to ASCII case.
class RegDocument {
  public:
    explicit RegDocument(std::string rootName);

    // Nothing when the text is not such an export for this root (the one place that decides
    // whether a file is damaged).
    static std::optional<RegDocument> parse(std::string_view text, std::string rootName);
    std::string serialize() const;

    // A key exists when it was stored itself or as the parent of a stored key; the root
    // (empty path) always exists.
    bool hasKey(std::string_view keyPath) const;
    const RegistryValue* findValue(std::string_view keyPath, std::string_view valueName) const;

    // Every value in stored order with the path of its key and its name; comment lines are
    // not values.
    using ValueVisitor = std::function<void(const std::string& keyPath, const std::string& name,
                                            const RegistryValue& value)>;
    void forEachValue(const ValueVisitor& visit) const;

    // These create the key (and so every key along its path) when it is missing.
    void setValue(std::string_view keyPath, std::string_view valueName, RegistryValue value);
    bool deleteValue(std::string_view keyPath, std::string_view valueName);

  private:
    struct Entry {
        std::string name;  // empty for the unnamed value
        RegistryValue value;
        std::string storedForm;  // the text after "=" as read, written back unless changed
        std::string comment;     // a whole ";" comment line instead of a value, when not empty
    };
    struct Key {
        std::string path;
        std::vector<Entry> entries;
    };

    // The index of the key stored under exactly this path, or keys_.size().
    std::size_t findKey(std::string_view keyPath) const;
    Key& createKey(std::string_view keyPath);
    std::string spellingForNewKey(std::string_view keyPath) const;

    std::string rootName_;
    std::vector<std::string> leadingComments_;
    std::vector<Key> keys_;

    friend class RegDocumentParser;
};

// ASCII-only case-insensitive comparison, the way key paths and value names match.
bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right);

}  // namespace velmora
