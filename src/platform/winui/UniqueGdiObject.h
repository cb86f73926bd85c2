#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

// Owns a GDI object (a font, a brush) and deletes it when it goes.
template <typename Object>
class UniqueGdiObject {
  public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(Object object) : object_(object) {}
    ~UniqueGdiObject() { reset(); }
    UniqueGdiObject(UniqueGdiObject&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    UniqueGdiObject(const UniqueGdiObject&) = delete;
    UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;

    Object get() const { return object_; }
    void reset(Object object = nullptr) {
        if (object_ != nullptr) {
            ::DeleteObject(object_);
        }
        object_ = object;
    }

  private:
    Object object_ = nullptr;
};

}  // namespace velmora
