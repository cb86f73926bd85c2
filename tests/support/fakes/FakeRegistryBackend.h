#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "ports/RegistryBackend.h"

namespace velmora::test {

// A registry in memory. Keys and value names match without regard to ASCII case and keep
// the case they were first written with, as in the real store. Two backends made from the
// same `Tree` see the same values, as two programs on one store do.
class FakeRegistryBackend final : public RegistryBackend {
  public:
    struct Tree {
        // folded key -> folded value name -> (name as first written, value)
        std::map<std::string, std::map<std::string, std::pair<std::string, RegistryValue>>> values;
    };

    explicit FakeRegistryBackend(std::shared_ptr<Tree> tree = std::make_shared<Tree>())
        : tree_(std::move(tree)) {}

    // True: the store cannot be read at all, as a damaged settings file cannot.
    bool unreadable = false;

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override {
        if (unreadable) {
            return RegStatus::BadDatabase;
        }
        const auto key = tree_->values.find(keyOf(root, keyPath));
        if (key == tree_->values.end()) {
            return RegStatus::NotFound;
        }
        const auto found = key->second.find(fold(valueName));
        if (found == key->second.end()) {
            return RegStatus::NotFound;
        }
        value = found->second.second;
        return RegStatus::Success;
    }

    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override {
        auto& values = tree_->values[keyOf(root, keyPath)];
        auto [slot, added] = values.try_emplace(fold(valueName), valueName, value);
        if (!added) {
            slot->second.second = value;
        }
        return RegStatus::Success;
    }

    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override {
        const auto key = tree_->values.find(keyOf(root, keyPath));
        return key != tree_->values.end() && key->second.erase(fold(valueName)) == 1
                   ? RegStatus::Success
                   : RegStatus::NotFound;
    }

    const std::shared_ptr<Tree>& tree() const { return tree_; }

  private:
    static std::string fold(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    static std::string keyOf(RootKey root, const std::string& keyPath) {
        return std::to_string(static_cast<std::uint32_t>(root)) + "\\" + fold(keyPath);
    }

    std::shared_ptr<Tree> tree_;
};

}  // namespace velmora::test
