#pragma once

#include <array>
#include <string_view>

namespace velmora {

// The tray pop-up menu mnuTaskTray: its caption and its items in order. A caption of "-"
// is a separator line.
enum class TrayCommand { About, Config, Separator, Exit };

struct TrayMenuItem {
    std::string_view name;
    std::string_view caption;
    TrayCommand command;
};

inline constexpr std::string_view kTrayMenuCaption = "タスクトレイメニュー";

inline constexpr std::array<TrayMenuItem, 4> kTrayMenuItems{{
    {"mnuAbout", "Velmora について(&A)...", TrayCommand::About},
    {"mnuConfig", "設定(&C)", TrayCommand::Config},
    {"mnuFilter", "-", TrayCommand::Separator},
    {"mnuExit", "終了(&X)", TrayCommand::Exit},
}};

}  // namespace velmora
