#pragma once

#include <string>
#include <vector>

#include "window/WindowControls.h"

namespace velmora {

// The About box's working state, without a toolkit: the window caption and the captions of
// its four labels. The view shows them; `startUp` fills the ones that depend on the
// program, every time the box is loaded.
class AboutBox {
  public:
    // The fixed layout, in twips: client area, the program's icon and the one button, which
    // Enter and Esc both press.
    static constexpr int kClientWidth = 6195;
    static constexpr int kClientHeight = 1980;
    static constexpr TwipsRect kIconRect{240, 240, 540, 540};
    static constexpr TwipsRect kOkButtonRect{4560, 360, 1422, 348};
    static constexpr const char* kOkCaption = "OK";

    // A label sized to its text, its top-left corner in twips.
    struct PlacedLabel {
        const char* name;
        std::string text;
        int left;
        int top;
    };

    AboutBox();

    // Caption "Velmoraについて", versionLabel "Version 0.9.48", titleLabel "Velmora".
    void startUp();

    const std::string& caption() const { return caption_; }
    const std::string& titleLabel() const { return titleLabel_; }
    const std::string& versionLabel() const { return versionLabel_; }
    const std::string& copyrightLabel() const { return copyrightLabel_; }
    const std::string& descriptionLabel() const { return descriptionLabel_; }
    // The four labels with their places: title, version, copyright, description.
    std::vector<PlacedLabel> placedLabels() const;

  private:
    std::string caption_;
    std::string titleLabel_;
    std::string versionLabel_;
    std::string copyrightLabel_;
    std::string descriptionLabel_;
};

// "Version " and the three numbers in plain decimal, joined by dots: 0, 9, 48 gives
// "Version 0.9.48".
std::string versionLine(int major, int minor, int revision);

}  // namespace velmora
