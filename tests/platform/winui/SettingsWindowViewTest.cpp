#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "DisplayTest.h"
#include "support/fakes/FakeSettings.h"
#include "win/MessageLoopWait.h"
#include "win/UniqueHandle.h"
#include "win/WinText.h"
#include "window/SettingsWindow.h"
#include "winui/HandlerWindow.h"
#include "winui/SettingsWindowView.h"
#include "winui/WindowFont.h"

namespace velmora {
namespace {

class WinSettingsWindowViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT_DISPLAY();
        view.emplace(window);
    }

    // Loads the stored settings and opens the window as the tray does.
    void open() {
        window.loadSettings();
        window.setWindowState(WindowState::Normal);
        window.setVisible(true);
        ::SetForegroundWindow(view->hwnd());
        test::serveQueuedMessages();
    }
    HWND child(const Control& control) { return view->windowFor(control); }
    static std::string textOf(HWND window) {
        wchar_t text[256]{};
        ::GetWindowTextW(window, text, 256);
        return narrow(text);
    }
    void focus(const Control& control) {
        ::SetFocus(child(control));
        test::serveQueuedMessages();
    }
    void type(const std::wstring& text) {
        for (const wchar_t c : text) {
            ::SendMessageW(::GetFocus(), WM_CHAR, c, 1);
        }
    }
    void click(const Control& control) {
        ::SendMessageW(child(control), BM_CLICK, 0, 0);
        test::serveQueuedMessages();
    }
    // Where a control's window stands in the client area.
    PixelRect placeOf(const Control& control) {
        RECT place{};
        ::GetWindowRect(child(control), &place);
        ::MapWindowPoints(nullptr, view->hwnd(), reinterpret_cast<POINT*>(&place), 2);
        return {place.left, place.top, place.right - place.left, place.bottom - place.top};
    }
    std::string focusedName() {
        const Control* focused = window.focused();
        return focused == nullptr ? "" : focused->name() + std::to_string(focused->index());
    }

    test::FakeSettings temp;
    SettingsWindow window{temp.settings};
    std::optional<SettingsWindowView> view;
};

TEST_F(WinSettingsWindowViewTest, BuildsEveryControlWithItsCaptionAtItsPlace) {
    for (Control* control : window.allControls()) {
        HWND shown = child(*control);
        ASSERT_NE(shown, nullptr) << control->name();
        if (dynamic_cast<TextBox*>(control) == nullptr &&
            dynamic_cast<ScrollBar*>(control) == nullptr) {
            EXPECT_EQ(textOf(shown), control->caption()) << control->name();
        }
    }
    EXPECT_EQ(textOf(view->hwnd()), "Velmora");
    const int dpi = screenDotsPerInch();
    RECT client{};
    ::GetClientRect(view->hwnd(), &client);
    EXPECT_EQ(client.right, twipsToPixels(SettingsWindowControls::kClientWidth, dpi));
    EXPECT_EQ(client.bottom, twipsToPixels(SettingsWindowControls::kClientHeight, dpi));
    const LONG style = ::GetWindowLongW(view->hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));

    EXPECT_EQ(placeOf(window.okButton), twipsToPixels(window.okButton.rect(), dpi));
    EXPECT_EQ(::GetWindowLongW(child(window.okButton), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(::GetDlgCtrlID(child(window.okButton)), IDOK);
    EXPECT_EQ(::GetDlgCtrlID(child(window.cancelButton)), IDCANCEL);

    // A version longer than its place is not cut off.
    window.latestPackageLabel.setCaption("2004/12/31 rev. 999 ----/--/-- rev. ---");
    RECT latest{};
    ::GetWindowRect(child(window.latestPackageLabel), &latest);
    EXPECT_GT(latest.right - latest.left, twipsToPixels(1560, dpi));
}

TEST_F(WinSettingsWindowViewTest, ACaptionWiderThanItsPlaceMovesTheOptionsAfterItAlong) {
    const auto rightOf = [](const PixelRect& place) { return place.left + place.width; };
    const auto expectClearOfTheLabel = [&] {
        const PixelRect label = placeOf(window.flavourLabel);
        const PixelRect i32 = placeOf(window.flavourOptions[0]);
        const PixelRect x86 = placeOf(window.flavourOptions[1]);
        EXPECT_GT(i32.left, rightOf(label));
        EXPECT_GT(x86.left, rightOf(i32));
        EXPECT_GE(i32.left,
                  twipsToPixels(window.flavourOptions[0].rect().left, screenDotsPerInch()));
    };
    expectClearOfTheLabel();

    window.flavourLabel.setCaption("Standalone Updater パッケージの種類を選んでください:");
    expectClearOfTheLabel();
    // The interval box and its arrows keep their places, wherever the labels go.
    EXPECT_EQ(placeOf(window.intervalBox),
              twipsToPixels(window.intervalBox.rect(), screenDotsPerInch()));
}

TEST_F(WinSettingsWindowViewTest, ALayoutMovedToADenserScreenIsLaidOutAgain) {
    const int dpi = screenDotsPerInch() * 3 / 2;
    RECT suggested{100, 100, 700, 800};
    ::SendMessageW(view->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));

    EXPECT_EQ(placeOf(window.okButton), twipsToPixels(window.okButton.rect(), dpi));
    EXPECT_EQ(placeOf(window.intervalBox), twipsToPixels(window.intervalBox.rect(), dpi));
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageW(child(window.logCheckBox), WM_GETFONT, 0, 0));
    LOGFONTW shown{};
    ::GetObjectW(font, sizeof(shown), &shown);
    EXPECT_EQ(shown.lfHeight, -::MulDiv(kLayoutFontPixels, dpi, 96));
    RECT frame{};
    ::GetWindowRect(view->hwnd(), &frame);
    EXPECT_EQ(frame.right - frame.left, 600);
}

TEST_F(WinSettingsWindowViewTest, TabVisitsTheControlsInOrderWithTheKeepBoxLast) {
    temp.store("Auto", "1");
    open();
    window.logCheckBox.setValue(1);  // an unapplied change, so Apply takes part
    focus(window.flavourOptions[0]);
    std::vector<std::string> visited{focusedName()};
    for (int i = 0; i < 11; ++i) {
        test::pressKey(VK_TAB);
        visited.push_back(focusedName());
        EXPECT_EQ(::GetFocus(), child(*window.focused()));
    }
    EXPECT_EQ(visited, (std::vector<std::string>{
                           "flavourOptions0", "updateNowButton-1", "autoUpdateCheckBox-1",
                           "intervalBox-1", "intervalScrollBar-1", "startWithSessionCheckBox-1",
                           "logCheckBox-1", "okButton-1", "cancelButton-1", "applyButton-1",
                           "keepPackagesCheckBox-1", "flavourOptions0"}));

    // The arrow keys move between the flavour options, choosing as they go.
    test::pressKey(VK_RIGHT);
    EXPECT_EQ(focusedName(), "flavourOptions1");
    EXPECT_EQ(window.flavourLabel.tag(), "1");
    test::pressKey(VK_RIGHT);
    EXPECT_EQ(focusedName(), "flavourOptions0");
}

TEST_F(WinSettingsWindowViewTest, TheDialogKeysWorkWhileTheInstallerIsWaitedFor) {
    open();
    focus(window.updateNowButton);
    const UniqueHandle installerEnded(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HandlerWindow installer(
        [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_APP) {
                return std::nullopt;
            }
            ::SetEvent(installerEnded.get());
            return 0;
        },
        {.style = 0, .exStyle = 0, .parent = HWND_MESSAGE, .title = {}});
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    ::PostMessageW(installer.hwnd(), WM_APP, 0, 0);

    MessageLoopWait wait;
    EXPECT_EQ(wait.waitFor(WaitHandle(reinterpret_cast<WaitHandle::Native>(installerEnded.get()))),
              WaitOutcome::Ready);
    EXPECT_EQ(focusedName(), "autoUpdateCheckBox-1");
}

TEST_F(WinSettingsWindowViewTest, ClicksAndTypingReachTheStoreAfterTheIntervalIsChecked) {
    temp.store("Auto", "1");
    temp.store("Interval", "24");
    open();
    click(window.logCheckBox);
    EXPECT_EQ(window.logCheckBox.value(), 1);
    EXPECT_TRUE(::IsWindowEnabled(child(window.applyButton)));

    focus(window.intervalBox);
    ::SendMessageW(child(window.intervalBox), EM_SETSEL, 0, -1);
    type(L"150");
    EXPECT_EQ(window.intervalBox.text(), "150");
    click(window.applyButton);  // the focus leaves the box: it is checked first

    EXPECT_EQ(textOf(child(window.intervalBox)), "99");
    EXPECT_EQ(::GetScrollPos(child(window.intervalScrollBar), SB_CTL), 1);
    EXPECT_EQ(temp.stored("Interval"), "99");
    EXPECT_EQ(temp.stored("Log"), "1");
    EXPECT_FALSE(::IsWindowEnabled(child(window.applyButton)));

    // The bar's up arrow adds an hour.
    ::SendMessageW(view->hwnd(), WM_VSCROLL, SB_LINEDOWN,
                   reinterpret_cast<LPARAM>(child(window.intervalScrollBar)));
    EXPECT_EQ(textOf(child(window.intervalBox)), "98");
    EXPECT_TRUE(::IsWindowEnabled(child(window.applyButton)));
}

TEST_F(WinSettingsWindowViewTest, CommandChordsTypeNothingInTheIntervalButAltGrDoes) {
    temp.store("Auto", "1");
    temp.store("Interval", "24");
    open();
    focus(window.intervalBox);
    ::SendMessageW(child(window.intervalBox), EM_SETSEL, 2, 2);
    {
        const test::HeldKeys alt({VK_MENU});
        type(L"a");
    }
    {
        const test::HeldKeys windowsKey({VK_LWIN});
        type(L"c");
    }
    EXPECT_EQ(textOf(child(window.intervalBox)), "24");
    {
        const test::HeldKeys altGr({VK_CONTROL, VK_MENU});
        type(L"1");
    }
    type(L"2");
    EXPECT_EQ(textOf(child(window.intervalBox)), "2412");

    // Alt+N, the interval label's access key, takes the focus to the box.
    focus(window.logCheckBox);
    {
        const test::HeldKeys alt({VK_MENU});
        test::pressKey('N');
    }
    EXPECT_EQ(::GetFocus(), child(window.intervalBox));
    EXPECT_EQ(textOf(child(window.intervalBox)), "99") << "left once, so checked";
}

TEST_F(WinSettingsWindowViewTest, EnterOksEscCancelsAndTheCloseBoxHides) {
    temp.store("Auto", "1");
    temp.store("Interval", "24");
    open();
    click(window.keepPackagesCheckBox);
    test::pressKey(VK_ESCAPE);
    EXPECT_FALSE(::IsWindowVisible(view->hwnd()));
    EXPECT_EQ(window.keepPackagesCheckBox.value(), 0);
    EXPECT_EQ(temp.stored("Remove"), "");

    open();
    focus(window.intervalBox);
    ::SendMessageW(child(window.intervalBox), EM_SETSEL, 0, -1);
    type(L"150");
    test::pressKey(VK_RETURN);
    EXPECT_FALSE(::IsWindowVisible(view->hwnd()));
    EXPECT_EQ(temp.stored("Interval"), "99");

    open();
    click(window.logCheckBox);
    ::SendMessageW(view->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(view->hwnd()));
    EXPECT_FALSE(window.visible());
    EXPECT_EQ(window.logCheckBox.value(), 0);

    open();
    EXPECT_TRUE(::IsWindowVisible(view->hwnd()));
    EXPECT_FALSE(::IsIconic(view->hwnd())) << "shown again in the normal state";
    ::ShowWindow(view->hwnd(), SW_MINIMIZE);
    EXPECT_EQ(window.windowState(), WindowState::Minimized);
}

}  // namespace
}  // namespace velmora
