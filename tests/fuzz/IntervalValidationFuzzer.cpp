// The interval as stored and as typed: whatever the registry holds or the user types, the
// window ends up with a whole number of hours within the scroll bar's range, the bar at the
// matching position, and validating again changes nothing.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "log/EventLog.h"
#include "ports/Autostart.h"
#include "ports/Notifier.h"
#include "ports/RegistryBackend.h"
#include "settings/NumericText.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "window/SettingsWindow.h"

namespace {

using velmora::fuzz::check;

// Every value reads as `stored`; writes are taken and forgotten.
class OneTextBackend final : public velmora::RegistryBackend {
  public:
    explicit OneTextBackend(std::string stored) : stored_(std::move(stored)) {}

    velmora::RegStatus queryValue(velmora::RootKey, const std::string&, const std::string&,
                                  velmora::RegistryValue& value) override {
        value = {velmora::kRegSz, stored_ + '\0'};
        return velmora::RegStatus::Success;
    }
    velmora::RegStatus setValue(velmora::RootKey, const std::string&, const std::string&,
                                const velmora::RegistryValue&) override {
        return velmora::RegStatus::Success;
    }
    velmora::RegStatus deleteValue(velmora::RootKey, const std::string&,
                                   const std::string&) override {
        return velmora::RegStatus::Success;
    }

  private:
    std::string stored_;
};

// Start-up entries taken and forgotten.
class ForgettingAutostart final : public velmora::Autostart {
  public:
    velmora::AutostartResult enable(const std::string&, const std::string&) override {
        return velmora::AutostartResult::Done;
    }
    velmora::AutostartResult disable(const std::string&) override {
        return velmora::AutostartResult::Done;
    }
};

class SilentNotifier final : public velmora::Notifier {
  public:
    void showNotice(const std::string&) override {}
};

// The text box holds a plain whole number of hours in range and the bar sits at its place.
int checkSoundInterval(const velmora::SettingsWindow& window) {
    const auto& bar = window.intervalScrollBar;
    const std::string& text = window.intervalBox.text();
    check(!text.empty() && text.size() <= 2 && text.front() != '0' &&
              text.find_first_not_of("0123456789") == std::string::npos,
          "a plain whole number of hours");
    const int hours = std::stoi(text);
    check(hours >= bar.minimum() && hours <= bar.maximum(), "hours within the range");
    check(bar.value() == bar.maximum() - hours + 1, "the bar at the matching position");
    return hours;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SilentNotifier notifier;
    velmora::EventLog log({"/dev/null", {}}, notifier, [] { return velmora::LogStamp{}; });
    OneTextBackend backend(text);
    velmora::Reg reg(backend, log);
    ForgettingAutostart autostart;
    velmora::RegistrySettings settings(reg, autostart,
                                       velmora::startupEntryFor("/opt/velmora", "velmora"));
    velmora::SettingsWindow window(settings);

    window.loadSettings();
    checkSoundInterval(window);

    window.intervalBox.setText(text);
    window.onIntervalBoxLeft();
    const int hours = checkSoundInterval(window);
    const auto typed = velmora::parseNumericText(text);
    if (typed && *typed >= 1 && *typed <= 99) {
        check(std::abs(hours - *typed) <= 0.5, "a typed number in range is rounded");
    } else if (typed) {
        check(hours == (*typed < 1 ? 1 : 99), "a typed number out of range goes to its end");
    } else {
        check(hours == 1, "a text that is not a number gives the minimum");
    }
    window.onIntervalBoxLeft();
    check(checkSoundInterval(window) == hours, "validating again changes nothing");
    return 0;
}
