#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "linux/RegDocument.h"
#include "ports/RegistryBackend.h"

namespace velmora {

// One registry root kept as the text file <folder>/<root name>.reg. Readers take the file
// as it is (it is only ever replaced whole); every change holds an exclusive lock on
// <root name>.reg.lock, re-reads the file under it, and replaces the file atomically, so a
// second writer, in this process or another, never loses an update. A file that cannot be
// understood reads as damaged and, before anything is written, is renamed aside to
// <root name>.reg.corrupt-<UTC time>. Temporary files left by a writer that died are
// removed by the next writer.
class RegFileStore {
  public:
    RegFileStore(std::filesystem::path folder, std::string rootName);

    RegStatus queryValue(const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) const;
    RegStatus setValue(const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) const;
    RegStatus deleteValue(const std::string& keyPath, const std::string& valueName) const;

    const std::filesystem::path& file() const { return file_; }

  private:
    using Change = std::function<RegStatus(RegDocument&)>;

    RegStatus readForQuery(std::optional<RegDocument>& document) const;
    RegStatus change(const std::string& keyPath, const std::string& valueName,
                     const Change& apply) const;
    RegStatus changeLocked(const Change& apply) const;
    RegDocument currentOrFresh(const std::filesystem::path& target,
                               const std::optional<std::string>& text) const;

    std::filesystem::path folder_;
    std::string rootName_;
    std::filesystem::path file_;
    std::filesystem::path lockFile_;
};

}  // namespace velmora
