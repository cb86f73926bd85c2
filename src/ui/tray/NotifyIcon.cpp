#include "tray/NotifyIcon.h"

#include <exception>

#include "log/RuntimeError.h"

namespace velmora {

namespace {

constexpr std::size_t kTipCharacters = 63;

bool startsCharacter(unsigned char byte) {
    return (byte & 0xC0) != 0x80;
}

}  // namespace

NotifyIcon::NotifyIcon(TrayIcon& icon, EventLog& log) : icon_(icon), log_(log) {}

bool NotifyIcon::addTrayIcon(const std::string& tip) {
    return trapped([&] { return icon_.add(trayTip(tip)); });
}

bool NotifyIcon::deleteTrayIcon() {
    return trapped([&] { return icon_.remove(); });
}

template <typename Action>
bool NotifyIcon::trapped(Action action) {
    std::exception_ptr failure;
    try {
        return action();
    } catch (...) {
        failure = std::current_exception();
    }
    log_.report(errorReport(runtimeErrorOf(failure)), true, true);
    return false;
}

std::string trayTip(const std::string& title) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < title.size(); ++i) {
        if (startsCharacter(static_cast<unsigned char>(title[i])) &&
            ++characters > kTipCharacters) {
            return title.substr(0, i);
        }
    }
    return title;
}

}  // namespace velmora
