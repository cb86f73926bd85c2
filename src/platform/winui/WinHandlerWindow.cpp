#include "winui/WinHandlerWindow.h"

#include <system_error>
#include <utility>

#include "win/WinError.h"
#include "winui/WinWindowFont.h"

namespace velmora {

namespace {

constexpr const wchar_t* kClassName = L"Velmora.Window";

thread_local CloseRequests* currentCloseRequests = nullptr;

HINSTANCE thisModule() {
    return ::GetModuleHandleW(nullptr);
}

void registerClassOnce() {
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = thisModule();
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExW(&windowClass);
    }();
    if (atom == 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), winErrorCategory(),
                                "cannot register the window class");
    }
}

// CreateWindowExW's place of a window: the one given, else Windows' default.
struct CreationPlace {
    int x;
    int y;
    int width;
    int height;
};

CreationPlace creationPlace(const std::optional<RECT>& place) {
    if (!place) {
        return {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    }
    return {place->left, place->top, place->right - place->left, place->bottom - place->top};
}

}  // namespace

HandlerWindow::HandlerWindow(Handler handler, const Options& options)
    : HandlerWindow(std::move(handler), options, std::nullopt) {}

HandlerWindow::HandlerWindow(Handler handler, const Options& options, const RECT& place)
    : HandlerWindow(std::move(handler), options, std::optional<RECT>(place)) {}

HandlerWindow::HandlerWindow(Handler handler, const Options& options,
                             const std::optional<RECT>& place)
    : handler_(std::move(handler)), showsIcons_((options.style & WS_CAPTION) == WS_CAPTION) {
    registerClassOnce();
    const CreationPlace at = creationPlace(place);
    hwnd_ = ::CreateWindowExW(options.exStyle, kClassName, options.title.c_str(), options.style,
                              at.x, at.y, at.width, at.height, options.parent, nullptr,
                              thisModule(), nullptr);
    if (hwnd_ == nullptr) {
        throw std::system_error(static_cast<int>(::GetLastError()), winErrorCategory(),
                                "cannot create a window");
    }
    if (showsIcons_) {
        icons_.show(hwnd_, windowDotsPerInch(hwnd_));
    }
    // Messages from here on reach the handler; those of the creation itself get the default.
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProc));
}

HandlerWindow::~HandlerWindow() {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK HandlerWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HandlerWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->showsIcons_ && message == WM_DPICHANGED && LOWORD(wParam) != 0) {
        self->icons_.show(hwnd, LOWORD(wParam));
    }
    if (self != nullptr && self->handler_) {
        if (const std::optional<LRESULT> result = self->handler_(message, wParam, lParam)) {
            return *result;
        }
    }
    if (message == WM_CLOSE) {
        // Windows' default would destroy the window, and a hidden program would live on
        // without its tray icon.
        CloseRequests::deliver();
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

CloseRequests::CloseRequests(std::function<void()> onRequest)
    : onRequest_(std::move(onRequest)), previous_(currentCloseRequests) {
    currentCloseRequests = this;
}

CloseRequests::~CloseRequests() {
    currentCloseRequests = previous_;
}

void CloseRequests::deliver() {
    if (currentCloseRequests != nullptr && currentCloseRequests->onRequest_) {
        currentCloseRequests->onRequest_();
    }
}

}  // namespace velmora
