#pragma once

#include <string>

namespace velmora {

// The About box's working state, without a toolkit: the window caption and the captions of
// its four labels. The view shows them; `Form_Load` fills the ones that depend on the
// program, every time the box is loaded.
class AboutBox {
  public:
    AboutBox();

    // Caption "Velmoraについて", lblVersion "Version 0.9.48", lblTitle "Velmora".
    void Form_Load();

    const std::string& caption() const { return caption_; }
    const std::string& lblTitle() const { return lblTitle_; }
    const std::string& lblVersion() const { return lblVersion_; }
    const std::string& lblCopyRight() const { return lblCopyRight_; }
    const std::string& lblDescription() const { return lblDescription_; }

  private:
    std::string caption_;
    std::string lblTitle_;
    std::string lblVersion_;
    std::string lblCopyRight_;
    std::string lblDescription_;
};

// "Version " and the three numbers in plain decimal, joined by dots: 0, 9, 48 gives
// "Version 0.9.48".
std::string versionLine(int major, int minor, int revision);

}  // namespace velmora
