#include "winui/WinAboutBoxWindow.h"

#include <commctrl.h>

#include "win/WinText.h"
#include "winui/WinProgramIcon.h"
#include "winui/WinWindowFont.h"

namespace velmora {

namespace {

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kBoxExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

WinAboutBoxWindow::WinAboutBoxWindow()
    : dotsPerInch_(screenDotsPerInch()), font_(createWindowFont(dotsPerInch_)) {
    state_.startUp();
    window_ = std::make_unique<HandlerWindow>(
        [this](UINT message, WPARAM wParam, LPARAM lParam) {
            return handleMessage(message, wParam, lParam);
        },
        HandlerWindow::Options{.style = kBoxStyle,
                               .exStyle = kBoxExStyle,
                               .parent = nullptr,
                               .title = widen(state_.caption())});

    RECT frame{0, 0, twipsToPixels(AboutBox::kClientWidth, dotsPerInch_),
               twipsToPixels(AboutBox::kClientHeight, dotsPerInch_)};
    ::AdjustWindowRectEx(&frame, kBoxStyle, FALSE, kBoxExStyle);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);

    HWND picture = addChild(WC_STATICW, L"", SS_ICON | SS_CENTERIMAGE, AboutBox::kIconRect);
    picture_ = loadProgramIcon(largeIconSide(dotsPerInch_));
    ::SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(picture_.get()), 0);
    for (const AboutBox::PlacedLabel& label : state_.placedLabels()) {
        const std::wstring text = widen(label.text);
        const SIZE size = captionExtent(font_.get(), text);
        HWND child =
            addChild(WC_STATICW, text, SS_LEFT | SS_NOPREFIX, {label.left, label.top, 0, 0});
        ::SetWindowPos(child, nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    addChild(WC_BUTTONW, widen(AboutBox::kOkCaption), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
             AboutBox::kOkButtonRect, IDOK);
    dialogKeys_.emplace(hwnd());
}

HWND WinAboutBoxWindow::addChild(const wchar_t* className, const std::wstring& text, DWORD style,
                                 const TwipsRect& rect, WORD id) {
    const PixelRect place = twipsToPixels(rect, dotsPerInch_);
    HWND child = ::CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   place.left, place.top, place.width, place.height, hwnd(),
                                   reinterpret_cast<HMENU>(UINT_PTR{id}),
                                   ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return child;
}

bool WinAboutBoxWindow::showModal() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd());
    ::SetFocus(::GetDlgItem(hwnd(), IDOK));
    return serveMessagesUntil([this] { return closed_; });
}

void WinAboutBoxWindow::close() {
    closed_ = true;
    ::ShowWindow(hwnd(), SW_HIDE);
}

std::optional<LRESULT> WinAboutBoxWindow::handleMessage(UINT message, WPARAM wParam,
                                                        LPARAM /*lParam*/) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                close();
            }
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_SYSCOMMAND:
            // Its close box; a bare WM_CLOSE asks the whole program to end.
            if ((wParam & 0xFFF0) != SC_CLOSE) {
                return std::nullopt;
            }
            close();
            return 0;
        default:
            return std::nullopt;
    }
}

}  // namespace velmora
