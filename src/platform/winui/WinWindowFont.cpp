#include "winui/WinWindowFont.h"

#include <array>

#include "window/WindowControls.h"

namespace velmora {

namespace {

// Releases a screen device context when it goes.
class ScreenDc {
  public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

int CALLBACK noteFamilyFound(const LOGFONTW* /*font*/, const TEXTMETRICW* /*metrics*/,
                             DWORD /*type*/, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool fontFamilyInstalled(const wchar_t* family) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(wanted.lfFaceName, family, LF_FACESIZE);
    bool found = false;
    const ScreenDc screen;
    ::EnumFontFamiliesExW(screen.get(), &wanted, &noteFamilyFound, reinterpret_cast<LPARAM>(&found),
                          0);
    return found;
}

LOGFONTW messageFont(int dotsPerInch) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                     static_cast<UINT>(dotsPerInch))) {
        return metrics.lfMessageFont;
    }
    LOGFONTW fallback{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return fallback;
}

}  // namespace

int screenDotsPerInch() {
    const UINT dotsPerInch = ::GetDpiForSystem();
    return dotsPerInch > 0 ? static_cast<int>(dotsPerInch) : kTwipsPerInch / kTwipsPerPixel;
}

int windowDotsPerInch(HWND window) {
    const UINT dotsPerInch = ::GetDpiForWindow(window);
    return dotsPerInch > 0 ? static_cast<int>(dotsPerInch) : screenDotsPerInch();
}

UniqueGdiObject<HFONT> createWindowFont(int dotsPerInch) {
    LOGFONTW font = messageFont(dotsPerInch);
    for (const wchar_t* family : std::array{L"Meiryo UI", L"MS UI Gothic"}) {
        if (fontFamilyInstalled(family)) {
            font = LOGFONTW{};
            font.lfCharSet = DEFAULT_CHARSET;
            font.lfWeight = FW_NORMAL;
            ::lstrcpynW(font.lfFaceName, family, LF_FACESIZE);
            break;
        }
    }
    font.lfHeight = -::MulDiv(kLayoutFontPixels, dotsPerInch, kTwipsPerInch / kTwipsPerPixel);
    font.lfWidth = 0;
    return UniqueGdiObject<HFONT>(::CreateFontIndirectW(&font));
}

SIZE captionExtent(HFONT font, const std::wstring& text) {
    const ScreenDc screen;
    const HGDIOBJ previous = ::SelectObject(screen.get(), font);
    RECT bounds{};
    ::DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &bounds,
                DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(screen.get(), previous);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

}  // namespace velmora
