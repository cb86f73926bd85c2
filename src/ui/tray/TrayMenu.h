#pragma once

#include <array>
#include <string_view>

namespace velmora {

// The tray pop-up menu: its caption and its items in order. A caption of "-"
// is a separator line.
enum class TrayCommand { About, Config, Separator, Exit };

struct TrayMenuItem {
    std::string_view name;
    std::string_view caption;
    TrayCommand command;
};

inline constexpr std::string_view kTrayMenuCaption = "タスクトレイメニュー";

inline constexpr std::array<TrayMenuItem, 4> kTrayMenuItems{{
    {"aboutMenuItem", "Velmora について(&A)...", TrayCommand::About},
    {"settingsMenuItem", "設定(&C)", TrayCommand::Config},
    {"separatorMenuItem", "-", TrayCommand::Separator},
    {"exitMenuItem", "終了(&X)", TrayCommand::Exit},
}};

}  // namespace velmora
