#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DisplayTest.h"
#include "SettingsWindowViewContract.h"
#include "win/MessageLoopWait.h"
#include "win/UniqueHandle.h"
#include "win/WinText.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinSettingsWindowView.h"

namespace velmora::test {
namespace {

std::string textOf(HWND window) {
    wchar_t text[256]{};
    ::GetWindowTextW(window, text, 256);
    return narrow(text);
}

class WinSettingsWindowDriver final : public SettingsWindowViewDriver {
  public:
    explicit WinSettingsWindowDriver(SettingsWindow& window) : window_(window), view_(window) {}

    WinSettingsWindowView& view() { return view_; }
    HWND child(const Control& control) { return view_.windowFor(control); }

    void open() override {
        window_.loadSettings();
        window_.setWindowState(WindowState::Normal);
        window_.setVisible(true);
        ::SetForegroundWindow(view_.hwnd());
        serveQueuedMessages();
    }
    bool windowShown() override { return ::IsWindowVisible(view_.hwnd()) != FALSE; }
    int dotsPerInch() override { return static_cast<int>(::GetDpiForWindow(view_.hwnd())); }
    PixelSize clientSize() override {
        RECT client{};
        ::GetClientRect(view_.hwnd(), &client);
        return {client.right, client.bottom};
    }

    void click(const Control& control) override {
        ::SendMessageW(child(control), BM_CLICK, 0, 0);
        serveQueuedMessages();
    }
    void focus(const Control& control) override {
        ::SetFocus(child(control));
        serveQueuedMessages();
    }
    const Control* focusedWidget() override {
        for (const Control* control : window_.allControls()) {
            if (child(*control) == ::GetFocus()) {
                return control;
            }
        }
        return nullptr;
    }
    void pressTab() override { pressKey(VK_TAB); }
    void pressEnter() override { pressKey(VK_RETURN); }
    void pressEsc() override { pressKey(VK_ESCAPE); }
    void pressAccessKey(char letter) override {
        const HeldKeys alt({VK_MENU});
        pressKey(static_cast<UINT>(letter));
    }
    void pressArrowUp() override { pressKey(VK_UP); }
    void type(const std::string& text, HeldChord held) override {
        // Windows reports AltGr as Ctrl and Alt held together.
        std::vector<int> keys;
        if (held.alt || held.altGr) {
            keys.push_back(VK_MENU);
        }
        if (held.ctrl || held.altGr) {
            keys.push_back(VK_CONTROL);
        }
        if (held.meta) {
            keys.push_back(VK_LWIN);
        }
        const HeldKeys holding(keys);
        for (const wchar_t c : widen(text)) {
            ::SendMessageW(::GetFocus(), WM_CHAR, c, 1);
        }
    }
    void selectAllText() override { ::SendMessageW(::GetFocus(), EM_SETSEL, 0, -1); }
    void closeFromTitleBar() override { ::SendMessageW(view_.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }
    void minimise() override { ::ShowWindow(view_.hwnd(), SW_MINIMIZE); }
    void dragThumbTo(int position) override { scroll(SB_THUMBTRACK, position); }
    void releaseThumbAt(int position) override {
        scroll(SB_THUMBPOSITION, position);
        scroll(SB_ENDSCROLL, 0);
    }

    std::string shownText(const Control& control) override { return textOf(child(control)); }
    bool shownEnabled(const Control& control) override {
        return ::IsWindowEnabled(child(control)) != FALSE;
    }
    bool shownChecked(const Control& control) override {
        return ::SendMessageW(child(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    int shownPosition(const Control& control) override {
        return ::GetScrollPos(child(control), SB_CTL);
    }
    PixelRect placeOf(const Control& control) override {
        RECT place{};
        ::GetWindowRect(child(control), &place);
        ::MapWindowPoints(nullptr, view_.hwnd(), reinterpret_cast<POINT*>(&place), 2);
        return {place.left, place.top, place.right - place.left, place.bottom - place.top};
    }

  private:
    void scroll(WORD request, int position) {
        ::SendMessageW(view_.hwnd(), WM_VSCROLL, MAKEWPARAM(request, position),
                       reinterpret_cast<LPARAM>(child(window_.intervalScrollBar)));
    }

    SettingsWindow& window_;
    WinSettingsWindowView view_;
};

std::unique_ptr<WinSettingsWindowDriver> makeDriver(SettingsWindow& window) {
    return hasDisplay() ? std::make_unique<WinSettingsWindowDriver>(window) : nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    Win32, SettingsWindowViewContract,
    ::testing::Values(SettingsWindowViewMaker{
        "Win32", [](SettingsWindow& window) -> std::unique_ptr<SettingsWindowViewDriver> {
            return makeDriver(window);
        }}));

class WinSettingsWindowViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT_DISPLAY();
        driver.emplace(window);
    }

    FakeSettings settings;
    SettingsWindow window{settings.settings};
    std::optional<WinSettingsWindowDriver> driver;
};

TEST_F(WinSettingsWindowViewTest, AWindowMovedToADenserScreenIsLaidOutAgainWhateverRectangleComes) {
    const int dpi = driver->dotsPerInch() * 3 / 2;
    RECT odd[] = {{100, 100, 700, 800}, {300, 200, 300, 200}, {500, 400, 10, 10}};
    for (RECT& suggested : odd) {
        ::SendMessageW(driver->view().hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));

        EXPECT_EQ(driver->placeOf(window.okButton), twipsToPixels(window.okButton.rect(), dpi));
        EXPECT_EQ(driver->clientSize().width, twipsToPixels(window.clientWidth(), dpi));
        EXPECT_EQ(driver->clientSize().height, twipsToPixels(window.clientHeight(), dpi));
        RECT frame{};
        ::GetWindowRect(driver->view().hwnd(), &frame);
        EXPECT_EQ(frame.left, suggested.left) << "placed where Windows puts it";
    }
    const auto font = reinterpret_cast<HFONT>(
        ::SendMessageW(driver->child(window.logCheckBox), WM_GETFONT, 0, 0));
    LOGFONTW shown{};
    ::GetObjectW(font, sizeof(shown), &shown);
    EXPECT_EQ(shown.lfHeight, -::MulDiv(kLayoutFontPixels, dpi, 96));
}

TEST_F(WinSettingsWindowViewTest, TheArrowKeysChooseAFlavourWhereTheFocusAloneDoesNot) {
    driver->open();
    ASSERT_EQ(driver->focusedWidget(), &window.flavourOptions[0]);
    // Windows tells of the focus coming to a clear option as a click on it.
    HWND x86 = driver->child(window.flavourOptions[1]);
    ::SendMessageW(driver->view().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(x86), BN_CLICKED),
                   reinterpret_cast<LPARAM>(x86));
    EXPECT_EQ(window.flavourLabel.tag(), "0");
    EXPECT_FALSE(driver->shownEnabled(window.applyButton));

    pressKey(VK_RIGHT);
    EXPECT_EQ(driver->focusedWidget(), &window.flavourOptions[1]);
    EXPECT_EQ(window.flavourLabel.tag(), "1");
    pressKey(VK_RIGHT);
    EXPECT_EQ(driver->focusedWidget(), &window.flavourOptions[0]);
    EXPECT_EQ(window.flavourLabel.tag(), "0");
}

TEST_F(WinSettingsWindowViewTest, AnotherProgramsCloseRequestEndsTheProgramNotTheEdits) {
    driver->open();
    driver->click(window.logCheckBox);
    int endRequests = 0;
    const CloseRequests closeRequests([&] { ++endRequests; });
    ::SendMessageW(driver->view().hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(endRequests, 1);
    EXPECT_TRUE(driver->windowShown());
    EXPECT_EQ(window.logCheckBox.value(), 1);
}

TEST_F(WinSettingsWindowViewTest, TheDialogKeysWorkWhileTheInstallerIsWaitedFor) {
    driver->open();
    driver->focus(window.updateNowButton);
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
    EXPECT_EQ(driver->focusedWidget(), &window.autoUpdateCheckBox);
}

}  // namespace
}  // namespace velmora::test
