// Drives the running velmora.exe from outside, for the Windows screenshots
// (tools/windows-screenshots): it plays the tray icon's clicks, picks a tray menu item by its
// access key, closes the shown window and reports where a window is on the screen. It talks
// to the program only through window messages, as the shell and the user do.
//
// Usage: velmora_window_driver COMMAND
//   tray-menu      the tray icon's right click, with the pointer over the notification area
//   tray-settings  the tray icon's double click
//   pick KEY       types KEY into the open tray menu (an item's access key)
//   close          closes the program's shown window, as its close box does
//   where WHAT     waits for WHAT (window: the shown settings window or About box; menu: the
//                  tray menu) for up to ten seconds and prints its frame as
//                  "left top width height"
// Exit status: 0 done, 1 no such window, 2 bad arguments.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The program's windows, the tray icon's hidden one included, are of this class.
constexpr const wchar_t* kProgramClass = L"Velmora.Window";
// The class Windows gives to every pop-up menu.
constexpr const wchar_t* kMenuClass = L"#32768";
// The tray icon's callback message (WinTrayIcon::kCallbackMessage).
constexpr UINT kTrayCallback = WM_APP + 1;

struct Search {
    const wchar_t* className;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM searchAddress) {
    auto& search = *reinterpret_cast<Search*>(searchAddress);
    wchar_t name[64]{};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    if (std::wcscmp(name, search.className) == 0 &&
        (!search.visibleOnly || ::IsWindowVisible(window))) {
        search.found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> topLevelWindows(const wchar_t* className, bool visibleOnly) {
    Search search{className, visibleOnly, {}};
    ::EnumWindows(&collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The tray menu pops up at the pointer: put it where the user's click would be, just above
// the icon rather than on it, whose tip would come up over the menu.
void pointAtNotificationArea() {
    RECT taskbar{};
    if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        tray != nullptr && ::GetWindowRect(tray, &taskbar)) {
        ::SetCursorPos(taskbar.right - 12, taskbar.top - 1);
    }
}

// Only the tray icon's window answers the callback message; the others ignore it.
int postTrayClick(UINT mouseMessage) {
    const std::vector<HWND> windows = topLevelWindows(kProgramClass, false);
    for (HWND window : windows) {
        ::PostMessageW(window, kTrayCallback, 1, static_cast<LPARAM>(mouseMessage));
    }
    return windows.empty() ? 1 : 0;
}

int pickMenuItem(wchar_t key) {
    const std::vector<HWND> menus = topLevelWindows(kMenuClass, true);
    for (HWND menu : menus) {
        ::PostMessageW(menu, WM_CHAR, key, 0);
    }
    return menus.empty() ? 1 : 0;
}

// The close box's command: a bare WM_CLOSE would ask the program to end.
int closeShownWindow() {
    const std::vector<HWND> windows = topLevelWindows(kProgramClass, true);
    for (HWND window : windows) {
        ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return windows.empty() ? 1 : 0;
}

int printWhere(const wchar_t* className) {
    for (int tries = 0; tries < 100; ++tries) {
        const std::vector<HWND> windows = topLevelWindows(className, true);
        RECT frame{};
        if (windows.size() == 1 && ::GetWindowRect(windows.front(), &frame) &&
            frame.right > frame.left) {
            // The pointer rests out of the way, so that the icon's tip does not cover the
            // menu and no item is highlighted.
            ::SetCursorPos(0, 0);
            // Let it finish painting before anyone takes its picture.
            ::Sleep(500);
            ::GetWindowRect(windows.front(), &frame);
            std::printf("%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                        frame.bottom - frame.top);
            return 0;
        }
        ::Sleep(100);
    }
    std::fputs("the window did not show\n", stderr);
    return 1;
}

int usage() {
    std::fputs(
        "usage: velmora_window_driver tray-menu | tray-settings | pick KEY | close | "
        "where window|menu\n",
        stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (argc == 2 && command == L"tray-menu") {
        pointAtNotificationArea();
        return postTrayClick(WM_RBUTTONDOWN);
    }
    if (argc == 2 && command == L"tray-settings") {
        return postTrayClick(WM_LBUTTONDBLCLK);
    }
    if (argc == 3 && command == L"pick" && argv[2][0] != L'\0') {
        return pickMenuItem(argv[2][0]);
    }
    if (argc == 2 && command == L"close") {
        return closeShownWindow();
    }
    if (argc == 3 && command == L"where") {
        const std::wstring what = argv[2];
        if (what == L"window") {
            return printWhere(kProgramClass);
        }
        if (what == L"menu") {
            return printWhere(kMenuClass);
        }
    }
    return usage();
}
