#include "winui/WinSettingsWindowView.h"

#include <commctrl.h>

#include "win/WinText.h"
#include "window/SettingsWindow.h"
#include "winui/WinWindowPlacement.h"

namespace velmora {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr WORD kFirstChildId = 100;

}  // namespace

WinSettingsWindowView::WinSettingsWindowView(SettingsWindow& window) : nextId_(kFirstChildId) {
    onUserClose = [&window] { window.onCancelClicked(); };
    frame_ = std::make_unique<HandlerWindow>(
        [this](UINT message, WPARAM wParam, LPARAM lParam) {
            return handleMessage(message, wParam, lParam);
        },
        HandlerWindow::Options{
            .style = kWindowStyle, .exStyle = kWindowExStyle, .parent = nullptr, .title = {}});
    dotsPerInch_ = windowDotsPerInch(hwnd());
    font_ = createWindowFont(dotsPerInch_);
    dialogKeys_.emplace(hwnd());
    binder_.emplace(window, static_cast<WindowSurface&>(*this));
}

WinSettingsWindowView::~WinSettingsWindowView() {
    // The child windows go with the binder, before the window.
    binder_.reset();
    dialogKeys_.reset();
}

HWND WinSettingsWindowView::windowFor(const Control& control) const {
    const auto* child = dynamic_cast<const WinChildWindow*>(binder_->widgetFor(control));
    return child == nullptr ? nullptr : child->hwnd();
}

void WinSettingsWindowView::setListener(WindowSurfaceListener* listener) {
    listener_ = listener;
}

int WinSettingsWindowView::dotsPerInch() const {
    return dotsPerInch_;
}

void WinSettingsWindowView::setTitle(const std::string& title) {
    ::SetWindowTextW(hwnd(), widen(title).c_str());
}

void WinSettingsWindowView::setClientSize(PixelSize size) {
    const SIZE frame =
        frameSizeFor({size.width, size.height}, kWindowStyle, kWindowExStyle, dotsPerInch_);
    const auto resize = [this](int width, int height) {
        ::SetWindowPos(hwnd(), nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    resize(frame.cx, frame.cy);
    // A frame drawn at another density than the window's (a window that Windows scales for
    // it) differs from the one computed: the difference is made up.
    RECT client{};
    RECT placed{};
    ::GetClientRect(hwnd(), &client);
    ::GetWindowRect(hwnd(), &placed);
    if (client.right != size.width || client.bottom != size.height) {
        resize(placed.right - placed.left + size.width - client.right,
               placed.bottom - placed.top + size.height - client.bottom);
    }
}

void WinSettingsWindowView::showWindow() {
    if (!placed_) {
        centreOnScreen();
        placed_ = true;
    }
    // Restores a window that was minimised before it was hidden.
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void WinSettingsWindowView::centreOnScreen() {
    // Opened from the tray menu: centred on the monitor the pointer is on, by the taskbar.
    const auto centre = [this] {
        RECT frame{};
        ::GetWindowRect(hwnd(), &frame);
        const RECT place =
            centredIn({frame.right - frame.left, frame.bottom - frame.top}, workAreaUnderPointer());
        ::SetWindowPos(hwnd(), nullptr, place.left, place.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    centre();
    // Made on one screen and moved to another of a different density: laid out for the
    // screen it appears on before it shows, and centred again at its new size.
    if (const int shownAt = windowDotsPerInch(hwnd()); shownAt != dotsPerInch_) {
        takeDotsPerInch(shownAt);
        centre();
    }
}

void WinSettingsWindowView::hideWindow() {
    ::ShowWindow(hwnd(), SW_HIDE);
}

void WinSettingsWindowView::setMinimised(bool minimised) {
    // A hidden window is not iconified; showing it restores it anyway.
    if (!::IsWindowVisible(hwnd())) {
        return;
    }
    if (minimised) {
        ::ShowWindow(hwnd(), SW_MINIMIZE);
    } else if (::IsIconic(hwnd())) {
        ::ShowWindow(hwnd(), SW_RESTORE);
    }
}

std::unique_ptr<Widget> WinSettingsWindowView::addLabel(const WidgetDesign& design) {
    return std::make_unique<WinCaptionWidget>(
        childParent(), WinChildStyle{.className = WC_STATICW, .style = SS_LEFT | WS_GROUP}, design);
}

std::unique_ptr<Widget> WinSettingsWindowView::addFrame(const WidgetDesign& design) {
    return std::make_unique<WinCaptionWidget>(
        childParent(), WinChildStyle{.className = WC_BUTTONW, .style = BS_GROUPBOX | WS_GROUP},
        design);
}

std::unique_ptr<Widget> WinSettingsWindowView::addButton(const WidgetDesign& design,
                                                         CommandButton::Role role) {
    const DWORD kind = role == CommandButton::Role::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    return std::make_unique<WinButtonWidget>(
        childParent(),
        WinChildStyle{.className = WC_BUTTONW, .style = kind | WS_GROUP, .role = role}, design);
}

std::unique_ptr<CheckWidget> WinSettingsWindowView::addCheckBox(const WidgetDesign& design) {
    return std::make_unique<WinCheckWidget>(
        childParent(), WinChildStyle{.className = WC_BUTTONW, .style = BS_AUTOCHECKBOX | WS_GROUP},
        design);
}

std::unique_ptr<CheckWidget> WinSettingsWindowView::addOptionButton(const WidgetDesign& design,
                                                                    bool startsGroup) {
    // The arrow keys move among the options up to the next window that starts a group.
    const DWORD group = startsGroup ? WS_GROUP : 0;
    return std::make_unique<WinCheckWidget>(
        childParent(), WinChildStyle{.className = WC_BUTTONW, .style = BS_AUTORADIOBUTTON | group},
        design);
}

std::unique_ptr<TextWidget> WinSettingsWindowView::addTextBox(const WidgetDesign& design) {
    return std::make_unique<WinTextWidget>(
        childParent(),
        WinChildStyle{
            .className = WC_EDITW, .style = ES_AUTOHSCROLL | WS_GROUP, .exStyle = WS_EX_CLIENTEDGE},
        design);
}

std::unique_ptr<ScrollWidget> WinSettingsWindowView::addScrollBar(const WidgetDesign& design,
                                                                  int minimum, int maximum) {
    return std::make_unique<WinScrollWidget>(childParent(), design, minimum, maximum);
}

WORD WinSettingsWindowView::childId(CommandButton::Role role) {
    switch (role) {
        case CommandButton::Role::Default:
            return IDOK;  // what Enter presses
        case CommandButton::Role::Cancel:
            return IDCANCEL;  // what Esc presses
        default:
            return nextId_++;
    }
}

void WinSettingsWindowView::adopt(WinChildWindow& child) {
    children_[child.hwnd()] = &child;
}

void WinSettingsWindowView::release(WinChildWindow& child) {
    children_.erase(child.hwnd());
    if (lastFocus_ == child.hwnd()) {
        lastFocus_ = nullptr;
    }
}

std::optional<LRESULT> WinSettingsWindowView::handleMessage(UINT message, WPARAM wParam,
                                                            LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_VSCROLL:
            if (const auto found = children_.find(reinterpret_cast<HWND>(lParam));
                found != children_.end()) {
                found->second->scrolled(LOWORD(wParam), HIWORD(wParam));
            }
            return 0;
        case DM_GETDEFID:
            return defaultButton();
        case WM_NEXTDLGCTL:
            moveFocus(wParam, lParam);
            return 0;
        case WM_SIZE:
            if (listener_ != nullptr && (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED)) {
                listener_->minimisedByUser(wParam == SIZE_MINIMIZED);
            }
            return 0;
        case WM_SYSCOMMAND:
            // The close box, the system menu and Alt+F4; a bare WM_CLOSE is a request from
            // outside to end the program, left to CloseRequests.
            if ((wParam & 0xFFF0) != SC_CLOSE) {
                return std::nullopt;
            }
            if (onUserClose) {
                onUserClose();
            }
            return 0;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_ACTIVATE:
            onActivated(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        default:
            return std::nullopt;
    }
}

void WinSettingsWindowView::onCommand(WORD id, WORD notification, HWND child) {
    // Enter and Esc come from the dialog keys with the button's identifier, and its window
    // where it has one.
    if (child == nullptr) {
        child = ::GetDlgItem(hwnd(), id);
    }
    if (const auto found = children_.find(child); found != children_.end()) {
        found->second->commanded(notification);
    }
}

LRESULT WinSettingsWindowView::defaultButton() const {
    // As in a dialog, Enter presses the push button that has the focus, else OK.
    WORD id = IDOK;
    if (HWND focused = ::GetFocus(); children_.contains(focused)) {
        const auto code = ::SendMessageW(focused, WM_GETDLGCODE, 0, 0);
        if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            id = static_cast<WORD>(::GetDlgCtrlID(focused));
        }
    }
    return MAKELRESULT(id, DC_HASDEFID);
}

void WinSettingsWindowView::moveFocus(WPARAM wParam, LPARAM lParam) {
    // What a dialog does for the dialog keys: an access key on a label asks for the label
    // and then for the control after it.
    HWND target = LOWORD(lParam) != 0
                      ? reinterpret_cast<HWND>(wParam)
                      : ::GetNextDlgTabItem(hwnd(), ::GetFocus(), wParam != 0 ? TRUE : FALSE);
    if (target != nullptr) {
        ::SetFocus(target);
    }
}

void WinSettingsWindowView::onActivated(bool active) {
    // An ordinary window does not keep its focused control while another window is active,
    // as a dialog does: it is put back by hand. On the first showing the binder gives the
    // focus.
    if (!active) {
        if (HWND focused = ::GetFocus(); children_.contains(focused)) {
            lastFocus_ = focused;
        }
        return;
    }
    if (lastFocus_ == nullptr) {
        return;
    }
    HWND target = ::IsWindowEnabled(lastFocus_) && ::IsWindowVisible(lastFocus_)
                      ? lastFocus_
                      : ::GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    if (target != nullptr) {
        ::SetFocus(target);
    }
}

void WinSettingsWindowView::onDpiChanged(int dotsPerInch, const RECT* suggested) {
    // Moved to a screen of another density, or its scale changed: laid out again at it. The
    // window's size follows from the layout; of the rectangle Windows suggests only the
    // corner is taken, so that an odd one cannot leave the window unusable.
    takeDotsPerInch(dotsPerInch > 0 ? dotsPerInch : windowDotsPerInch(hwnd()));
    if (suggested != nullptr) {
        ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void WinSettingsWindowView::takeDotsPerInch(int dotsPerInch) {
    dotsPerInch_ = dotsPerInch;
    font_ = createWindowFont(dotsPerInch_);
    for (const auto& [child, window] : children_) {
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    if (listener_ != nullptr) {
        listener_->densityChanged();
    }
}

}  // namespace velmora
