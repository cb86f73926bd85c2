#pragma once

#include <string>

#include "log/EventLog.h"
#include "tray/TrayIcon.h"

namespace velmora {

// Puts the program's icon into the notification area and takes it away. A run-time error
// on the way is reported as "ERROR #<number> : <description>" in a message box and in the
// log, whatever the logging option, and gives a false result.
class NotifyIcon {
  public:
    NotifyIcon(TrayIcon& icon, EventLog& log);

    bool addTrayIcon(const std::string& tip);
    bool deleteTrayIcon();

  private:
    template <typename Action>
    bool trapped(Action action);

    TrayIcon& icon_;
    EventLog& log_;
};

// The tip as the notification area holds it: at most 63 characters; a longer text is cut
// without splitting a character.
std::string trayTip(const std::string& title);

}  // namespace velmora
