#include "qt/AboutDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "qt/ProgramIcon.h"

namespace velmora {

namespace {

constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect twipsRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    state_.startUp();
    setWindowTitle(QString::fromStdString(state_.caption()));
    setFixedSize(pixels(6195), pixels(1980));

    const QIcon icon = programIcon();
    setWindowIcon(icon);
    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setGeometry(twipsRect(240, 240, 540, 540));
    iconLabel->setPixmap(icon.pixmap(iconLabel->size()));

    addLabel("titleLabel", state_.titleLabel(), 960, 240);
    addLabel("versionLabel", state_.versionLabel(), 960, 600);
    addLabel("copyrightLabel", state_.copyrightLabel(), 960, 960);
    addLabel("descriptionLabel", state_.descriptionLabel(), 960, 1320);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(twipsRect(4560, 360, 1422, 348));
    okButton->setDefault(true);
    // Esc rejects the dialog, the OK button accepts it: either way the box is unloaded.
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    okButton->setFocus();

    centreOnScreen();
}

void AboutDialog::addLabel(const char* name, const std::string& text, int leftTwips, int topTwips) {
    auto* label = new QLabel(QString::fromStdString(text), this);
    label->setObjectName(QString::fromLatin1(name));
    label->move(pixels(leftTwips), pixels(topTwips));
    label->adjustSize();
}

void AboutDialog::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace velmora
