#pragma once

#include <QMenu>
#include <functional>

#include "tray/TrayMenu.h"

namespace velmora {

// The tray pop-up menu as a QMenu; picking an item hands its command on.
class QtTrayMenu final {
  public:
    explicit QtTrayMenu(const std::function<void(TrayCommand)>& onCommand);

    // Opens the menu at the pointer and returns when it has closed.
    void popUpAtPointer();

    QMenu& menu() { return menu_; }

  private:
    QMenu menu_;
};

}  // namespace velmora
