#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

// Owns an open registry key and closes it when it goes. The predefined root keys are never
// held here: they are not opened and need no closing.
class UniqueRegKey {
  public:
    UniqueRegKey() = default;
    explicit UniqueRegKey(HKEY key) : key_(key) {}
    ~UniqueRegKey() { reset(); }
    UniqueRegKey(UniqueRegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    UniqueRegKey& operator=(UniqueRegKey&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.key_, nullptr));
        }
        return *this;
    }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // Where a function that opens a key stores it; whatever was held is closed first.
    HKEY* receive() {
        reset();
        return &key_;
    }
    void reset(HKEY key = nullptr) {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
        key_ = key;
    }

  private:
    HKEY key_ = nullptr;
};

}  // namespace velmora
