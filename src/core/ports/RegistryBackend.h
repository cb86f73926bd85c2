#pragma once

#include <cstdint>
#include <string>

#include "ports/RootKey.h"

namespace velmora {

// What the store answers, with the numbers the Windows registry uses for the same answers.
// These shape results only; a failure of the machinery itself (an I/O error, a full disk, a
// file that cannot be rewritten) is thrown as std::system_error instead.
enum class RegStatus : std::int32_t {
    Success = 0,
    NotFound = 2,           // the key or the value does not exist
    AccessDenied = 5,       // the key may not be opened for reading and writing
    InvalidParameter = 87,  // a name or value this store cannot hold
    BadDatabase = 1009,     // the stored form cannot be read or understood
};

// Value types, numbered as in the registry.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// A value as the store holds it: its type and its raw bytes. A string (kRegSz) written by
// the program is its UTF-8 text followed by one NUL byte; values written by others may lack
// the NUL or hold more than one.
struct RegistryValue {
    std::uint32_t type = kRegSz;
    std::string data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// A tree of keys under a few predefined roots, addressed by a backslash-separated path,
// holding typed values addressed by name. Key paths and value names match without regard to
// ASCII case and keep the case they were first written with. Every call opens the key with
// the rights to read and change values and create sub-keys, does one thing and closes it
// again: a key the caller may read but not change therefore cannot be opened at all.
class RegistryBackend {
  public:
    virtual ~RegistryBackend() = default;

    // Fills `value` with the stored type and bytes of an existing value; creates nothing.
    virtual RegStatus queryValue(RootKey root, const std::string& keyPath,
                                 const std::string& valueName, RegistryValue& value) = 0;

    // Creates every missing key along the path, then stores the value, replacing any value
    // of that name.
    virtual RegStatus setValue(RootKey root, const std::string& keyPath,
                               const std::string& valueName, const RegistryValue& value) = 0;

    // Creates every missing key along the path, then removes the value; NotFound (with the
    // path left created) when there was no such value.
    virtual RegStatus deleteValue(RootKey root, const std::string& keyPath,
                                  const std::string& valueName) = 0;

    // Where the values of `root` are kept, named so that the user can find them (a file);
    // empty when there is nothing a user could look at.
    virtual std::string storeLocation(RootKey /*root*/) const { return {}; }
};

}  // namespace velmora
