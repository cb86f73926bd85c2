#include "window/MainWindowControls.h"

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

MainWindowControls::MainWindowControls()
    : Form("frmMain", kAppTitle, kClientWidth, kClientHeight),
      frmVendor(label("frmVendor", "Corvane Web Site", {120, 120, 5175, 735}, 0)),
      lblVirusDef{Label(label("lblVirusDef", 0, kVersionLabel, {600, 1800, 1545, 180}, 5)),
                  Label(label("lblVirusDef", 1, kVersionLabel, {360, 480, 1545, 180}, 1))},
      lblLatstVDFileName(label("lblLatstVDFileName", kNoDefinitionName, {3000, 480, 1560, 180}, 2)),
      frmPC(label("frmPC", "Velmoraの設定", {120, 1080, 5175, 4695}, 3)),
      frmVD(label("frmVD", "ウィルス定義ファイル", {360, 1440, 4695, 1575}, 4)),
      lblVDFileName(label("lblVDFileName", kNoDefinitionName, {3000, 1800, 1560, 180}, 6)),
      lblIUP(label("lblIUP", "Standalone Updaterパッケージ:", {600, 2160, 2265, 180}, 7)),
      cmdUpdateVD(focusable("cmdUpdateVD", "今すぐ更新する(&U)", {3000, 2520, 1815, 320}, 10)),
      frmAutoConf(
          label("frmAutoConf", "ウィルス定義ファイルの自動更新", {360, 3240, 4695, 1335}, 11)),
      chkAuto(focusable("chkAuto", "ウィルス定義ファイルの自動更新を行う(&T)",
                        {600, 3600, 3495, 255}, 12)),
      lblInterval{Label(label("lblInterval", 0, "自動更新の間隔(&N):", {840, 4080, 1530, 180}, 13)),
                  Label(label("lblInterval", 1, "時間", {3840, 4080, 360, 180}, 16))},
      txtInterval(focusable("txtInterval", "", {2640, 4080, 735, 270}, 14)),
      scrlInterval(focusable("scrlInterval", "", {3360, 4080, 255, 255}, 15), kIntervalMinimum,
                   kIntervalMaximum),
      tmGetVD(label("tmGetVD", "", {}, -1), kTickIntervalMs),
      chkRemove(focusable("chkRemove", "ダウンロードしたウィルス定義ファイルを削除しない(&R)",
                          {360, 4680, 4455, 255}, 22)),
      chkRun(focusable("chkRun", "スタートアッププログラムへ追加する(&S)", {360, 5040, 3375, 255},
                       17)),
      chkLog(focusable("chkLog", "ログを出力する(&L)", {360, 5400, 1695, 255}, 18)),
      cmdOK(focusable("cmdOK", "OK", {1080, 6000, 1335, 320}, 19), CommandButton::Role::Default),
      cmdCancel(focusable("cmdCancel", "キャンセル", {2520, 6000, 1335, 320}, 20),
                CommandButton::Role::Cancel),
      cmdApply(focusable("cmdApply", "適用(&A)", {3960, 6000, 1335, 320}, 21)) {
    optIUP.add(focusable("optIUP", "&i32", {3000, 2160, 615, 180}, 8),
               std::string(flavourText(Flavour::I32)));
    optIUP.add(focusable("optIUP", "&x86", {3720, 2160, 615, 180}, 9),
               std::string(flavourText(Flavour::X86)));
    cmdApply.setEnabled(false);
}

std::vector<Control*> MainWindowControls::allControls() {
    return {&frmVendor,     &lblVirusDef[1], &lblLatstVDFileName,
            &frmPC,         &frmVD,          &lblVirusDef[0],
            &lblVDFileName, &lblIUP,         &optIUP[0],
            &optIUP[1],     &cmdUpdateVD,    &frmAutoConf,
            &chkAuto,       &lblInterval[0], &txtInterval,
            &scrlInterval,  &lblInterval[1], &chkRemove,
            &chkRun,        &chkLog,         &cmdOK,
            &cmdCancel,     &cmdApply};
}

std::vector<Control*> MainWindowControls::tabOrder() {
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
