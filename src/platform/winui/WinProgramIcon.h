#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

// Owns an icon loaded for one size and destroys it when it goes.
class UniqueIcon {
  public:
    UniqueIcon() = default;
    explicit UniqueIcon(HICON icon) : icon_(icon) {}
    ~UniqueIcon() { reset(); }
    UniqueIcon(UniqueIcon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    UniqueIcon& operator=(UniqueIcon&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.icon_, nullptr));
        }
        return *this;
    }
    UniqueIcon(const UniqueIcon&) = delete;
    UniqueIcon& operator=(const UniqueIcon&) = delete;

    HICON get() const { return icon_; }
    void reset(HICON icon = nullptr) {
        if (icon_ != nullptr) {
            ::DestroyIcon(icon_);
        }
        icon_ = icon;
    }

  private:
    HICON icon_ = nullptr;
};

// The program's icon, `side` pixels square: the executable's icon resource 1 when it has
// one, else Windows' own application icon. An image of that size is taken as it is; for
// another size the next larger image is scaled down, which stays sharp where scaling a
// smaller one up would blur. A copy of its own, never shared.
UniqueIcon loadProgramIcon(int side);

// The sides Windows gives small icons (title bars, the notification area) and large ones
// (Alt+Tab) at `dotsPerInch`.
int smallIconSide(int dotsPerInch);
int largeIconSide(int dotsPerInch);

// A window's title-bar and Alt+Tab icons, loaded for its density and again for a new one.
// The window only borrows them: an object of this class must outlive the window it serves.
class WindowIcons {
  public:
    void show(HWND window, int dotsPerInch);

  private:
    UniqueIcon small_;
    UniqueIcon large_;
};

}  // namespace velmora
