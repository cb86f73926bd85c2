#pragma once

#include <QSystemTrayIcon>
#include <functional>
#include <optional>

#include "tray/TrayIcon.h"
#include "tray/TrayIconLogic.h"

namespace velmora {

// Left press, left double-click and right press; nothing for the other reasons.
std::optional<TrayMessage> trayMessageFor(QSystemTrayIcon::ActivationReason reason);

// The notification-area icon through QSystemTrayIcon, with the program's icon. Its
// left press, left double-click and right press are passed on as tray messages; no
// context menu is attached, the tray logic decides when the menu opens.
class QtTrayIcon final : public TrayIcon {
  public:
    explicit QtTrayIcon(std::function<void(TrayMessage)> onMessage);

    // The icon is shown even when no notification area exists yet: Qt puts it there when
    // one appears later. The result tells whether one exists now.
    bool add(const std::string& tip) override;
    bool remove() override;

  private:
    QSystemTrayIcon icon_;
};

}  // namespace velmora
