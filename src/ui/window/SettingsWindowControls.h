#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "update/Flavour.h"
#include "window/WindowControls.h"

namespace velmora {

// The element of flavourOptions that offers a flavour.
constexpr std::size_t flavourOption(Flavour flavour) {
    return flavour == Flavour::X86 ? 1 : 0;
}

// A stored flavour index names an element of flavourOptions; anything but 0 or 1 counts as 0
// ("i32").
constexpr int soundFlavourIndex(int storedIndex) {
    return static_cast<int>(flavourOption(flavourFromStoredIndex(storedIndex)));
}

// The settings window's controls with their design-time properties: captions, positions,
// tab order, the flavour tags and the interval range. They are the program's working state
// (the labels' tags hold the installed and the newest published version and the chosen
// flavour index; the Apply button's Enabled state is the unapplied-changes flag). The rules
// that tie them together are in SettingsWindow.
class SettingsWindowControls : public Form {
  public:
    static constexpr std::int16_t kIntervalMinimum = 1;
    static constexpr std::int16_t kIntervalMaximum = 99;
    static constexpr int kClientWidth = 5415;
    static constexpr int kClientHeight = 6450;
    static constexpr int kTickIntervalMs = 60000;

    SettingsWindowControls();

    Frame vendorFrame;
    std::array<Label, 2> definitionsCaptions;
    Label latestPackageLabel;
    Frame computerFrame;
    Frame definitionsFrame;
    Label installedVersionLabel;
    Label flavourLabel;
    OptionGroup flavourOptions;  // element 0 tagged "i32", element 1 "x86"
    CommandButton updateNowButton;
    Frame autoUpdateFrame;
    CheckBox autoUpdateCheckBox;
    std::array<Label, 2> intervalLabels;
    TextBox intervalBox;
    ScrollBar intervalScrollBar;  // range 1 to 99; position = maximum - hours + 1
    Timer minuteTimer;
    CheckBox keepPackagesCheckBox;
    CheckBox startWithSessionCheckBox;
    CheckBox logCheckBox;
    CommandButton okButton;
    CommandButton cancelButton;
    CommandButton applyButton;

    // Every control in creation order (frames before what they surround), the option
    // buttons included; the timer is not among them.
    std::vector<Control*> allControls();
    // The controls of the kinds that can hold the focus, in tab index order.
    std::vector<Control*> tabOrder();
};

}  // namespace velmora
