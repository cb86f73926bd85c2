#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "log/EventLog.h"
#include "ports/DigestLibrary.h"
#include "update/Md5Stream.h"
#include "window/SettingsWindowControls.h"

namespace velmora::test {

// A digest as the vendor's list writes it: upper-case hexadecimal.
inline std::string listedForm(std::string digest) {
    std::transform(digest.begin(), digest.end(), digest.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return digest;
}

// The MD5 digest of `body`, as lowercase hexadecimal.
inline std::string md5Of(const std::string& body, DigestLibrary& library, EventLog& log) {
    Md5Stream digest(library);
    digest.add({reinterpret_cast<const std::uint8_t*>(body.data()), body.size()});
    return digest.finish(log);
}

// "name" or "name(index)" of every control of the window, with its Enabled state.
inline std::map<std::string, bool> enabledStates(SettingsWindowControls& window) {
    std::map<std::string, bool> states;
    for (Control* control : window.allControls()) {
        const std::string key =
            control->index() < 0 ? control->name()
                                 : control->name() + "(" + std::to_string(control->index()) + ")";
        states[key] = control->enabled();
    }
    return states;
}

}  // namespace velmora::test
