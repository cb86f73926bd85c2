// Message boxes and the window that owns them: the box is looked at from inside its own
// modal loop, by messages posted to the thread before it opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <functional>
#include <optional>

#include "DisplayTest.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinMessageBoxNotifier.h"
#include "winui/WinTrayIcon.h"

namespace velmora {
namespace {

// The message box this thread shows, once it is up.
HWND shownMessageBox() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            wchar_t name[16]{};
            ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
            if (std::wcscmp(name, L"#32770") == 0 && ::IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(context) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// What was seen of a box while it was up.
struct SeenBox {
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool servedMeanwhile = false;  // what `meanwhile` posted was handled inside the box's loop
};

// Shows a notice and looks at its box from inside the box's loop: `meanwhile` posts
// messages there, and `handled` says whether they were handled before the box is answered.
// A box that never shows ends the loop with WM_QUIT, so that the case fails, not hangs.
SeenBox showAndLook(
    Notifier& boxes, const std::function<void()>& meanwhile = [] {},
    const std::function<bool()>& handled = [] { return true; }) {
    SeenBox seen;
    HWND box = nullptr;
    int looks = 0;
    std::optional<HandlerWindow> probe;
    probe.emplace(
        [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_APP) {
                return std::nullopt;
            }
            if (box == nullptr && (box = shownMessageBox()) != nullptr) {
                seen.owner = ::GetWindow(box, GW_OWNER);
                seen.ownerEnabled = ::IsWindowEnabled(seen.owner) != FALSE;
                meanwhile();  // posted before the next look, so handled before it
            } else if (box != nullptr) {
                seen.servedMeanwhile = handled();
                ::SendMessageW(box, WM_COMMAND, IDOK, 0);
                return 0;
            }
            if (++looks > 500) {
                ::PostQuitMessage(1);
                return 0;
            }
            ::Sleep(box == nullptr ? 10 : 0);
            ::PostMessageW(probe->hwnd(), WM_APP, 0, 0);
            return 0;
        },
        HandlerWindow::Options{.style = 0, .exStyle = 0, .parent = HWND_MESSAGE, .title = {}});
    ::PostMessageW(probe->hwnd(), WM_APP, 0, 0);
    boxes.showNotice("ウィルス定義ファイルは最新です.");
    MSG quit{};
    EXPECT_FALSE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no box showed";
    return seen;
}

class MessageBoxOwnerTest : public ::testing::Test {
  protected:
    void SetUp() override { VELMORA_SKIP_WITHOUT_DISPLAY(); }
};

TEST_F(MessageBoxOwnerTest, AShownWindowOwningTheBoxIsOutOfUseUntilItIsAnswered) {
    HandlerWindow settings([](UINT, WPARAM, LPARAM) { return std::nullopt; },
                           {.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            .exStyle = 0,
                            .parent = nullptr,
                            .title = L"Velmora"});
    WinMessageBoxNotifier boxes([&] { return settings.hwnd(); });

    const SeenBox seen = showAndLook(boxes);
    EXPECT_EQ(seen.owner, settings.hwnd());
    EXPECT_FALSE(seen.ownerEnabled) << "the settings window cannot be used behind the box";
    EXPECT_TRUE(::IsWindowEnabled(settings.hwnd())) << "and can again once it is answered";
}

TEST_F(MessageBoxOwnerTest, AHiddenTrayWindowOwnsTheBoxAndTheTrayWorksMeanwhile) {
    int doubleClicks = 0;
    WinTrayIcon tray([&](TrayMessage message) {
        doubleClicks += message == TrayMessage::LeftDoubleClick ? 1 : 0;
    });
    tray.add("Velmora");
    WinMessageBoxNotifier boxes([&] { return tray.hwnd(); });

    const SeenBox seen = showAndLook(
        boxes,
        [&] { ::PostMessageW(tray.hwnd(), WinTrayIcon::kCallbackMessage, 1, WM_LBUTTONDBLCLK); },
        [&] { return doubleClicks == 1; });
    EXPECT_EQ(seen.owner, tray.hwnd()) << "owned, the box has no taskbar button of its own";
    EXPECT_TRUE(seen.servedMeanwhile) << "a double-click on the icon is handled during the box";
    EXPECT_TRUE(::IsWindowEnabled(tray.hwnd()));
}

}  // namespace
}  // namespace velmora
