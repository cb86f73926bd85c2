// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DisplayTest.h"
#include "win/WinText.h"
#include "window/WindowControls.h"
#include "winui/WinAboutBoxWindow.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinSessionEnd.h"
#include "winui/WinShellWindows.h"
#include "winui/WinTimerDriver.h"
#include "winui/WinTrayIcon.h"
#include "winui/WinTrayMenu.h"

namespace velmora {
namespace {

class WinShellTest : public ::testing::Test {
  protected:
    void SetUp() override { VELMORA_SKIP_WITHOUT_DISPLAY(); }
};

TEST_F(WinShellTest, TheTrayPassesOnPressesAndTheLeftDoubleClickOnly) {
    std::vector<TrayMessage> received;
    WinTrayIcon icon([&](TrayMessage message) { received.push_back(message); });
    for (const UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                             WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK}) {
        ::SendMessageW(icon.hwnd(), WinTrayIcon::kCallbackMessage, 1, mouse);
    }
    EXPECT_EQ(received,
              (std::vector<TrayMessage>{TrayMessage::LeftButtonDown, TrayMessage::LeftDoubleClick,
                                        TrayMessage::RightButtonDown}));
}

TEST_F(WinShellTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
    WinTrayIcon icon([](TrayMessage) {});
    ASSERT_TRUE(icon.add("Velmora")) << "the virtual desktop has a notification area";
    EXPECT_TRUE(test::trayHoldsIconOf(icon.hwnd()));

    // Explorer ended and started again: its new taskbar has none of the old icons.
    NOTIFYICONDATAW lost{};
    lost.cbSize = sizeof(lost);
    lost.hWnd = icon.hwnd();
    lost.uID = 1;
    ::Shell_NotifyIconW(NIM_DELETE, &lost);
    ASSERT_FALSE(test::trayHoldsIconOf(icon.hwnd()));
    ::SendMessageW(icon.hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(test::trayHoldsIconOf(icon.hwnd()));

    EXPECT_TRUE(icon.remove());
    EXPECT_FALSE(test::trayHoldsIconOf(icon.hwnd()));
    ::SendMessageW(icon.hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(test::trayHoldsIconOf(icon.hwnd())) << "a removed icon stays away";
}

TEST_F(WinShellTest, TheMenuHoldsTheItemsInOrderEachWithItsCommand) {
    WinTrayIcon icon([](TrayMessage) {});
    WinTrayMenu menu(icon.hwnd(), [](TrayCommand) {});
    ASSERT_EQ(::GetMenuItemCount(menu.menu()), static_cast<int>(kTrayMenuItems.size()));
    for (std::size_t i = 0; i < kTrayMenuItems.size(); ++i) {
        const TrayMenuItem& item = kTrayMenuItems[i];
        const auto position = static_cast<UINT>(i);
        if (item.command == TrayCommand::Separator) {
            EXPECT_TRUE(::GetMenuState(menu.menu(), position, MF_BYPOSITION) & MF_SEPARATOR);
            continue;
        }
        wchar_t caption[64]{};
        ::GetMenuStringW(menu.menu(), position, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(narrow(caption), item.caption);
        EXPECT_EQ(WinTrayMenu::commandOf(::GetMenuItemID(menu.menu(), static_cast<int>(i))),
                  item.command);
    }
    EXPECT_EQ(WinTrayMenu::commandOf(0), std::nullopt) << "nothing picked";
}

TEST_F(WinShellTest, OnlyAnEndingSessionOrTheRestartManagerUnloadsTheProgram) {
    int unloads = 0;
    SessionEndWatcher watcher([&] { ++unloads; });
    EXPECT_EQ(::SendMessageW(watcher.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageW(watcher.hwnd(), WM_ENDSESSION, FALSE, 0);  // another program refused
    EXPECT_EQ(unloads, 0);
    ::SendMessageW(watcher.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(unloads, 1);

    // An installer's Restart Manager asks first, then closes the program.
    EXPECT_EQ(::SendMessageW(watcher.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_EQ(unloads, 1);
    ::SendMessageW(watcher.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(unloads, 2);
}

TEST_F(WinShellTest, WmCloseFromOutsideAsksTheProgramToEndAndDestroysNoWindow) {
    WinTrayIcon icon([](TrayMessage) {});
    SessionEndWatcher session([] {});
    WinAboutBoxWindow box;
    const std::vector<HWND> windows{icon.hwnd(), session.hwnd(), box.hwnd()};
    for (HWND window : windows) {
        ::SendMessageW(window, WM_CLOSE, 0, 0);
    }

    int requests = 0;
    {
        const CloseRequests closeRequests([&] { ++requests; });
        // Posted, as taskkill does, to every top-level window.
        for (HWND window : windows) {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(test::serveMessagesFor(2000, [&] { return requests == 3; })) << requests;
        for (HWND window : windows) {
            ASSERT_TRUE(::IsWindow(window)) << "a window of the program was destroyed";
        }

        // The About box's own close box closes the box, and only the box.
        ::ShowWindow(box.hwnd(), SW_SHOWNORMAL);
        ::SendMessageW(box.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(box.visible());
        EXPECT_EQ(requests, 3);
    }
    ::SendMessageW(icon.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(requests, 3) << "no requests are taken once the program stops taking them";
    EXPECT_TRUE(::IsWindow(icon.hwnd()));
}

TEST_F(WinShellTest, TheTimerTicksWhileItIsEnabled) {
    Timer timer({.name = "timer", .caption = "", .rect = {}}, 10);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    const WinTimerDriver driver(timer);
    EXPECT_TRUE(test::serveMessagesFor(2000, [&] { return ticks >= 2; }));

    timer.setEnabled(false);
    ticks = 0;
    test::serveMessagesFor(100, [] { return false; });
    EXPECT_EQ(ticks, 0);
    timer.setEnabled(true);
    EXPECT_TRUE(test::serveMessagesFor(2000, [&] { return ticks >= 1; }));
}

TEST_F(WinShellTest, TheAboutBoxClosesWithEnterEscOrTheProgramsEnd) {
    for (const UINT key : {VK_RETURN, VK_ESCAPE}) {
        WinAboutBoxWindow box;
        wchar_t caption[64]{};
        ::GetWindowTextW(box.hwnd(), caption, 64);
        EXPECT_EQ(narrow(caption), "Velmoraについて");
        ::PostMessageW(::GetDlgItem(box.hwnd(), IDOK), WM_KEYDOWN, key, 1);
        EXPECT_TRUE(box.showModal());
        EXPECT_FALSE(box.visible()) << key;
    }

    // The program's end unloads a box that is open, from an event served by its loop.
    Form settings("settings", "Velmora", 100, 100);
    WinTrayIcon icon([](TrayMessage) {});
    WinTrayMenu menu(icon.hwnd(), [](TrayCommand) {});
    WinShellWindows windows(
        settings, [] { return HWND{}; }, menu);
    bool visibleWhileOpen = false;
    HandlerWindow programEnd(
        [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_APP) {
                return std::nullopt;
            }
            visibleWhileOpen = windows.aboutBoxVisible();
            windows.unloadAboutBox();
            return 0;
        },
        {.style = 0, .exStyle = 0, .parent = HWND_MESSAGE, .title = {}});
    ::PostMessageW(programEnd.hwnd(), WM_APP, 0, 0);
    windows.showAboutBoxModal();
    EXPECT_TRUE(visibleWhileOpen);
    EXPECT_FALSE(windows.aboutBoxVisible());
}

}  // namespace
}  // namespace velmora
