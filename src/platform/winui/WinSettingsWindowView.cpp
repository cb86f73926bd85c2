#include "winui/WinSettingsWindowView.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win/WinText.h"
#include "window/SettingsWindow.h"
#include "winui/WinWindowFont.h"

namespace velmora {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kChildSubclass = 1;
constexpr WORD kFirstChildId = 100;

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

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

void setCheck(HWND button, bool checked) {
    ::SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isChecked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

WinSettingsWindowView::WinSettingsWindowView(SettingsWindow& window)
    : window_(window),
      systemDotsPerInch_(screenDotsPerInch()),
      dotsPerInch_(systemDotsPerInch_),
      font_(createWindowFont(dotsPerInch_)) {
    onUserClose = [this] { window_.onCancelClicked(); };
    RECT frame{0, 0, twipsToPixels(window_.clientWidth(), dotsPerInch_),
               twipsToPixels(window_.clientHeight(), dotsPerInch_)};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    frame_ = std::make_unique<HandlerWindow>(
        [this](UINT message, WPARAM wParam, LPARAM lParam) {
            return handleMessage(message, wParam, lParam);
        },
        HandlerWindow::Options{.style = kWindowStyle,
                               .exStyle = WS_EX_CONTROLPARENT,
                               .parent = nullptr,
                               .title = widen(window_.caption())});
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    createChildren();
    bindForm();
    dialogKeys_.emplace(hwnd());
    if (window_.visible()) {
        showCentred();
    }
}

WinSettingsWindowView::~WinSettingsWindowView() {
    // Focus moves while the children go must not reach the controls any more.
    closing_ = true;
    subscriptions_.clear();
    dialogKeys_.reset();
    for (const auto& [child, control] : controls_) {
        ::RemoveWindowSubclass(child, &childProc, kChildSubclass);
    }
}

HWND WinSettingsWindowView::windowFor(const Control& control) const {
    const auto found = children_.find(&control);
    return found == children_.end() ? nullptr : found->second;
}

void WinSettingsWindowView::createChildren() {
    // Created in tab index order, labels and frames included: Windows' tab order is the
    // order of creation, and an access key on a label moves the focus to the next control
    // after it in that order that can take it (Alt+N to the interval box).
    std::vector<Control*> controls = window_.allControls();
    std::ranges::stable_sort(controls, {}, &Control::tabIndex);
    for (Control* control : controls) {
        if (auto* box = dynamic_cast<CheckBox*>(control)) {
            bindCheckBox(*box, createChild(*box, WC_BUTTONW, BS_AUTOCHECKBOX, Fit::CheckMark));
        } else if (auto* option = dynamic_cast<OptionButton*>(control)) {
            bindOption(*option,
                       createChild(*option, WC_BUTTONW, BS_AUTORADIOBUTTON, Fit::CheckMark));
        } else if (auto* button = dynamic_cast<CommandButton*>(control)) {
            const DWORD kind =
                button->role() == CommandButton::Role::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            HWND push = createChild(*button, WC_BUTTONW, kind, Fit::Fixed);
            bindCommon(*button, push);
            bindCaption(*button, push);
        } else if (auto* text = dynamic_cast<TextBox*>(control)) {
            bindTextBox(*text,
                        createChild(*text, WC_EDITW, ES_AUTOHSCROLL | WS_BORDER, Fit::Fixed));
        } else if (auto* bar = dynamic_cast<ScrollBar*>(control)) {
            bindScrollBar(*bar, createChild(*bar, WC_SCROLLBARW, SBS_VERT, Fit::Fixed));
        } else if (dynamic_cast<Frame*>(control) != nullptr) {
            HWND frame = createChild(*control, WC_BUTTONW, BS_GROUPBOX, Fit::Fixed);
            bindCommon(*control, frame);
            bindCaption(*control, frame);
        } else {
            HWND label = createChild(*control, WC_STATICW, SS_LEFT, Fit::Text);
            bindCommon(*control, label);
            bindCaption(*control, label);
        }
    }
}

HWND WinSettingsWindowView::createChild(Control& control, const wchar_t* className, DWORD style,
                                        Fit fit) {
    const WORD id = [&]() -> WORD {
        if (&control == &window_.okButton) {
            return IDOK;  // what Enter presses
        }
        if (&control == &window_.cancelButton) {
            return IDCANCEL;  // what Esc presses
        }
        return static_cast<WORD>(kFirstChildId + ids_.size());
    }();
    if (control.takesFocus()) {
        style |= WS_TABSTOP;
    }
    // Every control is a group of its own but the flavour options, which the arrow keys
    // move between; the first of them carries the group's start.
    if (const auto* option = dynamic_cast<OptionButton*>(&control);
        option == nullptr || option->index() == 0) {
        style |= WS_GROUP;
    }
    HWND child = ::CreateWindowExW(0, className, widen(control.caption()).c_str(), WS_CHILD | style,
                                   0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(UINT_PTR{id}),
                                   ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ids_[id] = &control;
    children_[&control] = child;
    controls_[child] = &control;
    fits_[child] = fit;
    place(child);
    ::SetWindowSubclass(child, &childProc, kChildSubclass, reinterpret_cast<DWORD_PTR>(this));
    return child;
}

void WinSettingsWindowView::bindForm() {
    subscriptions_.push_back(window_.observe([this](ControlProperty property) {
        switch (property) {
            case ControlProperty::Caption:
                ::SetWindowTextW(hwnd(), widen(window_.caption()).c_str());
                break;
            case ControlProperty::Visible:
                if (window_.visible()) {
                    showCentred();
                } else {
                    ::ShowWindow(hwnd(), SW_HIDE);
                }
                break;
            case ControlProperty::WindowState:
                // A hidden window is not iconified; showing it restores it anyway.
                if (!::IsWindowVisible(hwnd())) {
                    break;
                }
                if (window_.windowState() == WindowState::Minimized) {
                    ::ShowWindow(hwnd(), SW_MINIMIZE);
                } else if (::IsIconic(hwnd())) {
                    ::ShowWindow(hwnd(), SW_RESTORE);
                }
                break;
            case ControlProperty::Focus:
                if (HWND target = windowFor(*window_.focused());
                    target != nullptr && ::GetFocus() != target) {
                    ::SetFocus(target);
                }
                break;
            default:
                break;
        }
    }));
}

void WinSettingsWindowView::bindCommon(Control& control, HWND child) {
    ::EnableWindow(child, control.enabled());
    ::ShowWindow(child, control.visible() ? SW_SHOWNA : SW_HIDE);
    subscriptions_.push_back(control.observe([&control, child](ControlProperty property) {
        if (property == ControlProperty::Enabled) {
            ::EnableWindow(child, control.enabled());
        } else if (property == ControlProperty::Visible) {
            ::ShowWindow(child, control.visible() ? SW_SHOWNA : SW_HIDE);
        }
    }));
}

void WinSettingsWindowView::bindCaption(Control& control, HWND child) {
    subscriptions_.push_back(control.observe([this, &control, child](ControlProperty property) {
        if (property == ControlProperty::Caption) {
            ::SetWindowTextW(child, widen(control.caption()).c_str());
            place(child);
        }
    }));
}

void WinSettingsWindowView::place(HWND child) {
    const Control& control = *controls_.at(child);
    PixelRect area = twipsToPixels(control.rect(), dotsPerInch_);
    if (const Fit fit = fits_.at(child); fit != Fit::Fixed) {
        // The check mark and the gap before the caption, as the system draws them.
        const int mark = fit == Fit::CheckMark ? ::MulDiv(::GetSystemMetrics(SM_CXMENUCHECK) + 4,
                                                          dotsPerInch_, systemDotsPerInch_)
                                               : 0;
        const SIZE text = captionExtent(font_.get(), widen(control.caption()));
        area = fitCaption(area, text.cx + mark, static_cast<int>(text.cy));
        // A caption wider in this font than its place must not run under the control after
        // it on its row: that one moves along, keeping the gap the layout gives them.
        if (HWND before = rowNeighbour(child, true)) {
            const PixelRect& left = places_.at(before);
            const TwipsRect& design = controls_.at(before)->rect();
            const int gap = twipsToPixels(
                std::max(0, control.rect().left - design.left - design.width), dotsPerInch_);
            area.left = std::max(area.left, left.left + left.width + gap);
        }
    }
    places_[child] = area;
    ::MoveWindow(child, area.left, area.top, area.width, area.height, TRUE);
    if (HWND after = fits_.at(child) != Fit::Fixed ? rowNeighbour(child, false) : nullptr) {
        place(after);
    }
}

HWND WinSettingsWindowView::rowNeighbour(HWND child, bool before) const {
    // The nearest control on the same row, on the given side, whose place follows its
    // caption; fixed ones (the interval box and its arrows) keep theirs.
    const TwipsRect& row = controls_.at(child)->rect();
    HWND nearest = nullptr;
    int nearestDistance = 0;
    for (const auto& [other, control] : controls_) {
        const int distance =
            before ? row.left - control->rect().left : control->rect().left - row.left;
        if (other == child || control->rect().top != row.top || distance <= 0 ||
            fits_.at(other) == Fit::Fixed || (before && !places_.contains(other))) {
            continue;
        }
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = other;
            nearestDistance = distance;
        }
    }
    return nearest;
}

void WinSettingsWindowView::onDpiChanged(int dotsPerInch, const RECT& suggested) {
    // Moved to a screen of another density: the layout is laid out again at it.
    dotsPerInch_ = dotsPerInch;
    font_ = createWindowFont(dotsPerInch_);
    for (const auto& [child, control] : controls_) {
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        place(child);
    }
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void WinSettingsWindowView::bindCheckBox(CheckBox& box, HWND child) {
    bindCommon(box, child);
    bindCaption(box, child);
    setCheck(child, box.value() == 1);
    subscriptions_.push_back(box.observe([&box, child](ControlProperty property) {
        if (property == ControlProperty::Value) {
            setCheck(child, box.value() == 1);
        }
    }));
}

void WinSettingsWindowView::bindOption(OptionButton& option, HWND child) {
    bindCommon(option, child);
    bindCaption(option, child);
    setCheck(child, option.value());
    subscriptions_.push_back(option.observe([&option, child](ControlProperty property) {
        if (property == ControlProperty::Value) {
            setCheck(child, option.value());
        }
    }));
}

void WinSettingsWindowView::bindTextBox(TextBox& text, HWND child) {
    bindCommon(text, child);
    ::SetWindowTextW(child, widen(text.text()).c_str());
    subscriptions_.push_back(text.observe([&text, child](ControlProperty property) {
        if (property == ControlProperty::Text) {
            const std::wstring shown = widen(text.text());
            if (windowText(child) != shown) {
                ::SetWindowTextW(child, shown.c_str());
            }
        }
    }));
}

void WinSettingsWindowView::bindScrollBar(ScrollBar& bar, HWND child) {
    bindCommon(bar, child);
    // Position 1 at the top: the up arrow lowers the position, which adds an hour.
    ::SetScrollRange(child, SB_CTL, bar.minimum(), bar.maximum(), FALSE);
    ::SetScrollPos(child, SB_CTL, bar.value(), TRUE);
    subscriptions_.push_back(bar.observe([&bar, child](ControlProperty property) {
        if (property == ControlProperty::Value) {
            ::SetScrollPos(child, SB_CTL, bar.value(), TRUE);
        }
    }));
}

std::optional<LRESULT> WinSettingsWindowView::handleMessage(UINT message, WPARAM wParam,
                                                            LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(lParam) == windowFor(window_.intervalScrollBar)) {
                onScroll(LOWORD(wParam));
            }
            return 0;
        case DM_GETDEFID:
            return defaultButton();
        case WM_NEXTDLGCTL:
            moveFocus(wParam, lParam);
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                window_.setWindowState(WindowState::Minimized);
            } else if (wParam == SIZE_RESTORED) {
                window_.setWindowState(WindowState::Normal);
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
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_ACTIVATE:
            onActivated(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        default:
            return std::nullopt;
    }
}

void WinSettingsWindowView::onCommand(WORD id, WORD code) {
    const auto found = ids_.find(id);
    if (found == ids_.end()) {
        return;
    }
    Control* control = found->second;
    HWND child = windowFor(*control);
    if (auto* text = dynamic_cast<TextBox*>(control)) {
        if (code == EN_CHANGE) {
            text->setText(narrow(windowText(child)));
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    if (auto* box = dynamic_cast<CheckBox*>(control)) {
        box->setValue(isChecked(child) ? 1 : 0);
    } else if (auto* option = dynamic_cast<OptionButton*>(control)) {
        if (isChecked(child)) {
            option->setValue(true);
        }
    } else if (auto* button = dynamic_cast<CommandButton*>(control)) {
        button->click();
    }
}

void WinSettingsWindowView::onScroll(WORD request) {
    ScrollBar& bar = window_.intervalScrollBar;
    HWND child = windowFor(bar);
    switch (request) {
        case SB_LINEUP:
            bar.setValue(bar.value() - bar.smallChange());
            break;
        case SB_LINEDOWN:
            bar.setValue(bar.value() + bar.smallChange());
            break;
        case SB_PAGEUP:
            bar.setValue(bar.value() - bar.largeChange());
            break;
        case SB_PAGEDOWN:
            bar.setValue(bar.value() + bar.largeChange());
            break;
        case SB_TOP:
            bar.setValue(bar.minimum());
            break;
        case SB_BOTTOM:
            bar.setValue(bar.maximum());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            ::GetScrollInfo(child, SB_CTL, &info);
            bar.setValue(info.nTrackPos);
            break;
        }
        default:
            break;
    }
}

LRESULT WinSettingsWindowView::defaultButton() const {
    // As in a dialog, Enter presses the button that has the focus, else OK.
    WORD id = IDOK;
    if (const auto found = controls_.find(::GetFocus()); found != controls_.end()) {
        if (dynamic_cast<const CommandButton*>(found->second) != nullptr) {
            id = static_cast<WORD>(::GetDlgCtrlID(found->first));
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
    // as a dialog does: it is put back by hand.
    if (!active) {
        if (HWND focused = ::GetFocus(); controls_.contains(focused)) {
            lastFocus_ = focused;
        }
        return;
    }
    HWND target = lastFocus_ != nullptr && ::IsWindowEnabled(lastFocus_)
                      ? lastFocus_
                      : ::GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    if (target != nullptr) {
        ::SetFocus(target);
    }
}

void WinSettingsWindowView::showCentred() {
    if (!placed_) {
        RECT work{};
        RECT frame{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ::GetWindowRect(hwnd(), &frame);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        ::SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                       work.top + (work.bottom - work.top - height) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        placed_ = true;
    }
    // Restores a window that was minimised before it was hidden.
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void WinSettingsWindowView::focusMoved(HWND child) {
    const auto found = controls_.find(child);
    if (found != controls_.end() && window_.focused() != found->second) {
        window_.setFocus(*found->second);
    }
}

LRESULT CALLBACK WinSettingsWindowView::childProc(HWND child, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR /*subclass*/,
                                                  DWORD_PTR self) {
    auto* view = reinterpret_cast<WinSettingsWindowView*>(self);
    if (message == WM_CHAR && !view->closing_ && isUnclaimedCommandChord(typedKey(wParam))) {
        const auto found = view->controls_.find(child);
        if (found != view->controls_.end() && dynamic_cast<TextBox*>(found->second) != nullptr) {
            return 0;
        }
    }
    const LRESULT result = ::DefSubclassProc(child, message, wParam, lParam);
    if (message == WM_SETFOCUS && !view->closing_) {
        view->focusMoved(child);
    }
    return result;
}

}  // namespace velmora
