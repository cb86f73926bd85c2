#pragma once

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "tray/TrayIcon.h"

namespace velmora::test {

// A tray icon that accepts or refuses on request, or fails the way a broken desktop would:
// these failures cannot be provoked on a real notification area. `onCall` sees each call
// ("add:<tip>" or "remove") as it happens.
class ScriptedTrayIcon final : public TrayIcon {
  public:
    enum class Behaviour { Accept, Refuse, ThrowSystemError, ThrowOther };
    Behaviour behaviour = Behaviour::Accept;
    std::function<void(const std::string&)> onCall;

    bool add(const std::string& tip) override {
        record("add:" + tip);
        return act();
    }
    bool remove() override {
        record("remove");
        return act();
    }

  private:
    void record(const std::string& call) {
        if (onCall) {
            onCall(call);
        }
    }

    bool act() {
        switch (behaviour) {
            case Behaviour::ThrowSystemError:
                throw std::system_error(ENOMEM, std::generic_category(), "tray");
            case Behaviour::ThrowOther:
                throw std::runtime_error("the notification area went away");
            case Behaviour::Refuse:
                return false;
            case Behaviour::Accept:
                break;
        }
        return true;
    }
};

}  // namespace velmora::test
