#pragma once

#include <QDialog>

#include "shell/AboutBox.h"

namespace velmora {

// The About box on screen: a fixed dialog centred on the screen, with the
// program's icon, four labels and one OK button that Enter and Esc both press. Each
// opening builds a new dialog, so its texts are loaded afresh every time.
class QtAboutDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit QtAboutDialog(QWidget* parent = nullptr);

  private:
    void addLabel(const char* name, const std::string& text, int leftTwips, int topTwips);
    void centreOnScreen();

    AboutBox state_;
};

}  // namespace velmora
