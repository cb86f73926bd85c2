#include "winui/WinAboutBoxWindow.h"

#include <commctrl.h>

#include <utility>

#include "win/WinText.h"
#include "winui/WinWindowFont.h"
#include "winui/WinWindowPlacement.h"

namespace velmora {

namespace {

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kBoxExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

WinAboutBoxWindow::WinAboutBoxWindow() {
    state_.startUp();
    // Created on the monitor it is to appear on, so that Windows gives it that monitor's
    // density from the start.
    const RECT work = workAreaUnderPointer();
    window_ = std::make_unique<HandlerWindow>(
        [this](UINT message, WPARAM wParam, LPARAM lParam) {
            return handleMessage(message, wParam, lParam);
        },
        HandlerWindow::Options{.style = kBoxStyle,
                               .exStyle = kBoxExStyle,
                               .parent = nullptr,
                               .title = widen(state_.caption())},
        RECT{work.left, work.top, work.left + 1, work.top + 1});

    pictureBox_ = addChild(WC_STATICW, L"", SS_ICON | SS_CENTERIMAGE | SS_REALSIZEIMAGE);
    children_.push_back({pictureBox_, AboutBox::kIconRect, {}});
    for (const AboutBox::PlacedLabel& label : state_.placedLabels()) {
        const std::wstring text = widen(label.text);
        children_.push_back({addChild(WC_STATICW, text, SS_LEFT | SS_NOPREFIX),
                             {label.left, label.top, 0, 0},
                             text});
    }
    const std::wstring ok = widen(AboutBox::kOkCaption);
    children_.push_back({addChild(WC_BUTTONW, ok, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK),
                         AboutBox::kOkButtonRect,
                         {}});
    layOut(windowDotsPerInch(hwnd()));
    const SIZE frame = frameSize();
    const RECT place = centredIn(frame, work);
    ::SetWindowPos(hwnd(), nullptr, place.left, place.top, frame.cx, frame.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    dialogKeys_.emplace(hwnd());
}

HWND WinAboutBoxWindow::addChild(const wchar_t* className, const std::wstring& text, DWORD style,
                                 WORD id) {
    return ::CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                             hwnd(), reinterpret_cast<HMENU>(UINT_PTR{id}),
                             ::GetModuleHandleW(nullptr), nullptr);
}

void WinAboutBoxWindow::layOut(int dotsPerInch) {
    dotsPerInch_ = dotsPerInch;
    // The children let go of the old font and icon before these go.
    UniqueGdiObject<HFONT> font = createWindowFont(dotsPerInch);
    UniqueIcon picture = loadProgramIcon(largeIconSide(dotsPerInch));
    ::SendMessageW(pictureBox_, STM_SETICON, reinterpret_cast<WPARAM>(picture.get()), 0);
    for (const Child& child : children_) {
        PixelRect place = twipsToPixels(child.rect, dotsPerInch);
        if (!child.label.empty()) {
            const SIZE text = captionExtent(font.get(), child.label);
            place.width = text.cx;
            place.height = text.cy;
        }
        ::SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        ::MoveWindow(child.hwnd, place.left, place.top, place.width, place.height, TRUE);
    }
    font_ = std::move(font);
    picture_ = std::move(picture);
}

SIZE WinAboutBoxWindow::frameSize() const {
    const SIZE client{twipsToPixels(AboutBox::kClientWidth, dotsPerInch_),
                      twipsToPixels(AboutBox::kClientHeight, dotsPerInch_)};
    return frameSizeFor(client, kBoxStyle, kBoxExStyle, dotsPerInch_);
}

void WinAboutBoxWindow::onDpiChanged(int dotsPerInch, const RECT* suggested) {
    layOut(dotsPerInch);
    RECT current{};
    ::GetWindowRect(hwnd(), &current);
    const RECT place = placeAfterDpiChange(suggested, current, frameSize());
    ::SetWindowPos(hwnd(), nullptr, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
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
                                                        LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                close();
            }
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_DPICHANGED:
            // A density of zero is no density: the box stays at its own.
            onDpiChanged(LOWORD(wParam) != 0 ? LOWORD(wParam) : dotsPerInch_,
                         reinterpret_cast<const RECT*>(lParam));
            return 0;
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
