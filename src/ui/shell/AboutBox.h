#pragma once

#include <string>

namespace velmora {

// The About box's working state, without a toolkit: the window caption and the captions of
// its four labels. The view shows them; `startUp` fills the ones that depend on the
// program, every time the box is loaded.
class AboutBox {
  public:
    AboutBox();

    // Caption "Velmoraについて", versionLabel "Version 0.9.48", titleLabel "Velmora".
    void startUp();

    const std::string& caption() const { return caption_; }
    const std::string& titleLabel() const { return titleLabel_; }
    const std::string& versionLabel() const { return versionLabel_; }
    const std::string& copyrightLabel() const { return copyrightLabel_; }
    const std::string& descriptionLabel() const { return descriptionLabel_; }

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
