#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ports/Notifier.h"

namespace velmora::test {

// Keeps every notice instead of showing it; an optional hook runs while the "box" is up.
class RecordingNotifier final : public Notifier {
  public:
    void showNotice(const std::string& text) override {
        notices.push_back(text);
        if (onNotice) {
            onNotice(text);
        }
    }

    std::vector<std::string> notices;
    std::function<void(const std::string&)> onNotice;
};

}  // namespace velmora::test
