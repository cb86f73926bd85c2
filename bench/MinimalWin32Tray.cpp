// The yardstick of the Windows start-up benchmark: a minimal Win32 program with a hidden
// window, a tray icon and a one-minute timer, and nothing else. Like Velmora it writes
// $VELMORA_STARTUP_REPORT once its message loop runs.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <string>

#include "win/UniqueHandle.h"

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kLoopRunning = WM_APP + 2;
constexpr UINT_PTR kMinuteTimer = 1;
constexpr UINT kTrayIconId = 1;

std::wstring environmentVariable(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

void writeStartupReport() {
    const std::wstring file = environmentVariable(L"VELMORA_STARTUP_REPORT");
    if (file.empty()) {
        return;
    }
    const velmora::UniqueHandle out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out) {
        const char text[] = "ready\n";
        DWORD written = 0;
        ::WriteFile(out.get(), text, sizeof text - 1, &written, nullptr);
    }
}

NOTIFYICONDATAW trayIcon(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    ::lstrcpynW(data.szTip, L"Minimal", ARRAYSIZE(data.szTip));
    return data;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            NOTIFYICONDATAW icon = trayIcon(window);
            ::Shell_NotifyIconW(NIM_ADD, &icon);
            ::SetTimer(window, kMinuteTimer, 60 * 1000, nullptr);
            return 0;
        }
        case kLoopRunning:
            writeStartupReport();
            return 0;
        case WM_TIMER:
        case kTrayMessage:
            return 0;
        case WM_DESTROY: {
            ::KillTimer(window, kMinuteTimer);
            NOTIFYICONDATAW icon = trayIcon(window);
            ::Shell_NotifyIconW(NIM_DELETE, &icon);
            ::PostQuitMessage(0);
            return 0;
        }
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VelmoraBenchMinimalTray";
    if (::RegisterClassExW(&windowClass) == 0) {
        return 1;
    }
    // Never shown: the tray icon is the program's only presence, as Velmora's is.
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ::PostMessageW(window, kLoopRunning, 0, 0);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
