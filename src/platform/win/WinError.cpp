#include "win/WinError.h"

#include <windows.h>

#include "win/WinText.h"

namespace velmora {

std::string describeWinError(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return "error " + std::to_string(code);
    }
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(code) : narrow(text);
}

std::string describeLastWinError() {
    return describeWinError(::GetLastError());
}

namespace {

class WinErrorCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override {
        return describeWinError(static_cast<std::uint32_t>(code));
    }
};

}  // namespace

const std::error_category& winErrorCategory() {
    static const WinErrorCategory category;
    return category;
}

}  // namespace velmora
