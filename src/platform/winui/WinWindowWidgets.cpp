#include "winui/WinWindowWidgets.h"

#include <commctrl.h>

#include "win/WinText.h"
#include "winui/WinWindowFont.h"

namespace velmora {

namespace {

constexpr UINT_PTR kChildSubclass = 1;

bool keyHeld(int virtualKey) {
    return (::GetKeyState(virtualKey) & 0x8000) != 0;
}

// Windows reports AltGr as Ctrl and Alt held together, and so does every layout that types
// characters with Ctrl+Alt: only Alt without Ctrl is the command key.
TypedKey typedKey(WPARAM character) {
    return {.character = static_cast<char32_t>(character),
            .altHeld = keyHeld(VK_MENU) && !keyHeld(VK_CONTROL),
            .metaHeld = keyHeld(VK_LWIN) || keyHeld(VK_RWIN)};
}

bool isChecked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

WinChildWindow::WinChildWindow(WinChildParent& parent, const WinChildStyle& style,
                               const WidgetDesign& design)
    : parent_(parent), listener_(design.listener) {
    const DWORD tabStop = design.takesFocus ? WS_TABSTOP : 0;
    const WORD id = parent_.childId(style.role);
    hwnd_ = ::CreateWindowExW(style.exStyle, style.className, widen(design.caption).c_str(),
                              WS_CHILD | tabStop | style.style, 0, 0, 0, 0, parent_.parentWindow(),
                              reinterpret_cast<HMENU>(UINT_PTR{id}), ::GetModuleHandleW(nullptr),
                              nullptr);
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(parent_.childFont()), FALSE);
    ::SetWindowSubclass(hwnd_, &subclassProc, kChildSubclass, reinterpret_cast<DWORD_PTR>(this));
    parent_.adopt(*this);
}

WinChildWindow::~WinChildWindow() {
    parent_.release(*this);
    ::RemoveWindowSubclass(hwnd_, &subclassProc, kChildSubclass);
    ::DestroyWindow(hwnd_);
}

std::wstring WinChildWindow::text() const {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

LRESULT CALLBACK WinChildWindow::subclassProc(HWND child, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR self) {
    const auto* window = reinterpret_cast<WinChildWindow*>(self);
    if (message == WM_CHAR && window->swallows(wParam)) {
        return 0;
    }
    const LRESULT result = ::DefSubclassProc(child, message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        window->listener_.focusTaken();
    }
    return result;
}

template <class Interface>
void WinWidget<Interface>::setCaption(const std::string& caption) {
    ::SetWindowTextW(hwnd(), widen(caption).c_str());
}

template <class Interface>
PixelSize WinWidget<Interface>::captionSize() const {
    const SIZE extent = captionExtent(parent().childFont(), text());
    return {static_cast<int>(extent.cx), static_cast<int>(extent.cy)};
}

template class WinWidget<Widget>;
template class WinWidget<CheckWidget>;
template class WinWidget<TextWidget>;
template class WinWidget<ScrollWidget>;

void WinButtonWidget::commanded(WORD notification) {
    if (notification == BN_CLICKED) {
        listener().pressed();
    }
}

void WinCheckWidget::setChecked(bool checked) {
    ::SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

PixelSize WinCheckWidget::captionSize() const {
    // The check mark and the gap before the caption, as the system draws them.
    const int dotsPerInch = parent().childDotsPerInch();
    const int mark = ::GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dotsPerInch)) +
                     ::MulDiv(4, dotsPerInch, kTwipsPerInch / kTwipsPerPixel);
    const PixelSize caption = WinWidget::captionSize();
    return {caption.width + mark, caption.height};
}

void WinCheckWidget::commanded(WORD notification) {
    // An option button also reports the focus coming to it while it is clear (BN_CLICKED
    // without a check): that is not a choice.
    if (notification == BN_CLICKED) {
        listener().checkedByUser(isChecked(hwnd()));
    }
}

void WinTextWidget::setText(const std::string& text) {
    // Set again only when it differs, so that typing keeps its caret.
    const std::wstring shown = widen(text);
    if (this->text() != shown) {
        ::SetWindowTextW(hwnd(), shown.c_str());
    }
}

void WinTextWidget::commanded(WORD notification) {
    if (notification == EN_CHANGE) {
        listener().editedTo(narrow(text()));
    }
}

bool WinTextWidget::swallows(WPARAM character) const {
    return isUnclaimedCommandChord(typedKey(character));
}

WinScrollWidget::WinScrollWidget(WinChildParent& parent, const WidgetDesign& design, int minimum,
                                 int maximum)
    : WinWidget(parent, {.className = WC_SCROLLBARW, .style = SBS_VERT | WS_GROUP}, design),
      minimum_(minimum),
      maximum_(maximum) {
    ::SetScrollRange(hwnd(), SB_CTL, minimum_, maximum_, FALSE);
}

void WinScrollWidget::setPosition(int position) {
    ::SetScrollPos(hwnd(), SB_CTL, position, TRUE);
}

void WinScrollWidget::scrolled(WORD request, WORD thumbPosition) {
    const int position = ::GetScrollPos(hwnd(), SB_CTL);
    switch (request) {
        case SB_LINEUP:
        case SB_PAGEUP:
            listener().scrolledTo(position - 1);
            break;
        case SB_LINEDOWN:
        case SB_PAGEDOWN:
            listener().scrolledTo(position + 1);
            break;
        case SB_TOP:
            listener().scrolledTo(minimum_);
            break;
        case SB_BOTTOM:
            listener().scrolledTo(maximum_);
            break;
        case SB_THUMBPOSITION:
            // The drag has ended; the moves while the thumb was dragged (SB_THUMBTRACK)
            // change nothing. The range is small enough for the message's 16 bits.
            listener().scrolledTo(thumbPosition);
            break;
        default:
            break;
    }
}

}  // namespace velmora
