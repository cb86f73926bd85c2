#pragma once

#include <string>

namespace velmora {

// The program's icon in the notification area. Failures the desktop reports are results;
// anything else going wrong is thrown (std::system_error where there is an error number).
class TrayIcon {
  public:
    virtual ~TrayIcon() = default;

    // Puts the icon with its tip into the notification area. False when the desktop has
    // no notification area to take it.
    virtual bool add(const std::string& tip) = 0;
    // Takes the icon away again. False when there was no icon to take away.
    virtual bool remove() = 0;
};

}  // namespace velmora
