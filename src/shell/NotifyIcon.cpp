#include "shell/NotifyIcon.h"

#include <exception>
#include <system_error>

#include "log/RuntimeError.h"

namespace velmora {

namespace {

constexpr std::size_t kTipCharacters = 63;
constexpr int kUnnumberedError = -1;

bool startsCharacter(unsigned char byte) {
    return (byte & 0xC0) != 0x80;
}

}  // namespace

NotifyIcon::NotifyIcon(TrayIcon& icon, EventLog& log) : icon_(icon), log_(log) {}

bool NotifyIcon::AddTrayIcon(const std::string& tip) {
    return trapped([&] { return icon_.add(trayTip(tip)); });
}

bool NotifyIcon::DeleteTrayIcon() {
    return trapped([&] { return icon_.remove(); });
}

template <typename Action>
bool NotifyIcon::trapped(Action action) {
    std::string report;
    try {
        return action();
    } catch (const std::system_error& error) {
        report = errorReport({error.code().value(), error.code().message()});
    } catch (const std::exception& error) {
        report = errorReport({kUnnumberedError, error.what()});
    }
    log_.WriteLog(report, kTrue, kTrue);
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
