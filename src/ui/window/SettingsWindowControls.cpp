#include "window/SettingsWindowControls.h"

#include <algorithm>

#include "settings/AppTitle.h"
#include "update/DefinitionName.h"

namespace velmora {

namespace {

constexpr const char* kVersionLabel = "拡張バージョン番号:";

Control::Design label(const char* name, int index, const char* caption, TwipsRect rect,
                      int tabIndex) {
    return {.name = name, .caption = caption, .rect = rect, .tabIndex = tabIndex, .index = index};
}

Control::Design label(const char* name, const char* caption, TwipsRect rect, int tabIndex) {
    return label(name, -1, caption, rect, tabIndex);
}

Control::Design focusable(const char* name, const char* caption, TwipsRect rect, int tabIndex) {
    return {
        .name = name, .caption = caption, .rect = rect, .tabIndex = tabIndex, .takesFocus = true};
}

}  // namespace

SettingsWindowControls::SettingsWindowControls()
    : Form("settingsWindow", kAppTitle, kClientWidth, kClientHeight),
      vendorFrame(label("vendorFrame", "Corvane Web Site", {120, 120, 5175, 735}, 0)),
      definitionsCaptions{
          Label(label("definitionsCaptions", 0, kVersionLabel, {600, 1800, 1545, 180}, 5)),
          Label(label("definitionsCaptions", 1, kVersionLabel, {360, 480, 1545, 180}, 1))},
      latestPackageLabel(label("latestPackageLabel", kNoDefinitionName, {3000, 480, 1560, 180}, 2)),
      computerFrame(label("computerFrame", "Velmoraの設定", {120, 1080, 5175, 4695}, 3)),
      definitionsFrame(
          label("definitionsFrame", "ウィルス定義ファイル", {360, 1440, 4695, 1575}, 4)),
      installedVersionLabel(
          label("installedVersionLabel", kNoDefinitionName, {3000, 1800, 1560, 180}, 6)),
      flavourLabel(
          label("flavourLabel", "Standalone Updaterパッケージ:", {600, 2160, 2265, 180}, 7)),
      updateNowButton(
          focusable("updateNowButton", "今すぐ更新する(&U)", {3000, 2520, 1815, 320}, 10)),
      autoUpdateFrame(
          label("autoUpdateFrame", "ウィルス定義ファイルの自動更新", {360, 3240, 4695, 1335}, 11)),
      autoUpdateCheckBox(focusable("autoUpdateCheckBox", "ウィルス定義ファイルの自動更新を行う(&T)",
                                   {600, 3600, 3495, 255}, 12)),
      intervalLabels{
          Label(label("intervalLabels", 0, "自動更新の間隔(&N):", {840, 4080, 1530, 180}, 13)),
          Label(label("intervalLabels", 1, "時間", {3840, 4080, 360, 180}, 16))},
      intervalBox(focusable("intervalBox", "", {2640, 4080, 735, 270}, 14)),
      intervalScrollBar(focusable("intervalScrollBar", "", {3360, 4080, 255, 255}, 15),
                        kIntervalMinimum, kIntervalMaximum),
      minuteTimer(label("minuteTimer", "", {}, -1), kTickIntervalMs),
      keepPackagesCheckBox(focusable("keepPackagesCheckBox",
                                     "ダウンロードしたウィルス定義ファイルを削除しない(&R)",
                                     {360, 4680, 4455, 255}, 22)),
      startWithSessionCheckBox(focusable("startWithSessionCheckBox",
                                         "スタートアッププログラムへ追加する(&S)",
                                         {360, 5040, 3375, 255}, 17)),
      logCheckBox(focusable("logCheckBox", "ログを出力する(&L)", {360, 5400, 1695, 255}, 18)),
      okButton(focusable("okButton", "OK", {1080, 6000, 1335, 320}, 19),
               CommandButton::Role::Default),
      cancelButton(focusable("cancelButton", "キャンセル", {2520, 6000, 1335, 320}, 20),
                   CommandButton::Role::Cancel),
      applyButton(focusable("applyButton", "適用(&A)", {3960, 6000, 1335, 320}, 21)) {
    flavourOptions.add(focusable("flavourOptions", "&i32", {3000, 2160, 615, 180}, 8),
                       std::string(flavourText(Flavour::I32)));
    flavourOptions.add(focusable("flavourOptions", "&x86", {3720, 2160, 615, 180}, 9),
                       std::string(flavourText(Flavour::X86)));
    applyButton.setEnabled(false);
}

std::vector<Control*> SettingsWindowControls::allControls() {
    return {&vendorFrame,
            &definitionsCaptions[1],
            &latestPackageLabel,
            &computerFrame,
            &definitionsFrame,
            &definitionsCaptions[0],
            &installedVersionLabel,
            &flavourLabel,
            &flavourOptions[0],
            &flavourOptions[1],
            &updateNowButton,
            &autoUpdateFrame,
            &autoUpdateCheckBox,
            &intervalLabels[0],
            &intervalBox,
            &intervalScrollBar,
            &intervalLabels[1],
            &keepPackagesCheckBox,
            &startWithSessionCheckBox,
            &logCheckBox,
            &okButton,
            &cancelButton,
            &applyButton};
}

std::vector<Control*> SettingsWindowControls::tabOrder() {
    std::vector<Control*> order;
    for (Control* control : allControls()) {
        if (control->takesFocus()) {
            order.push_back(control);
        }
    }
    std::ranges::sort(order, {}, &Control::tabIndex);
    return order;
}

}  // namespace velmora
