#include "qt/QtAboutDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "qt/QtProgramIcon.h"

namespace velmora {

namespace {

int pixels(int twips) {
    return twipsToPixels(twips);
}

QRect pixelRect(const TwipsRect& rect) {
    const PixelRect pixels = twipsToPixels(rect);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

}  // namespace

QtAboutDialog::QtAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    state_.startUp();
    setWindowTitle(QString::fromStdString(state_.caption()));
    setFixedSize(pixels(AboutBox::kClientWidth), pixels(AboutBox::kClientHeight));

    const QIcon icon = programIcon();
    setWindowIcon(icon);
    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setGeometry(pixelRect(AboutBox::kIconRect));
    iconLabel->setPixmap(icon.pixmap(iconLabel->size()));

    for (const AboutBox::PlacedLabel& label : state_.placedLabels()) {
        addLabel(label.name, label.text, label.left, label.top);
    }

    auto* okButton = new QPushButton(QString::fromLatin1(AboutBox::kOkCaption), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(pixelRect(AboutBox::kOkButtonRect));
    okButton->setDefault(true);
    // Esc rejects the dialog, the OK button accepts it: either way the box is unloaded.
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    okButton->setFocus();

    centreOnScreen();
}

void QtAboutDialog::addLabel(const char* name, const std::string& text, int leftTwips,
                             int topTwips) {
    auto* label = new QLabel(QString::fromStdString(text), this);
    label->setObjectName(QString::fromLatin1(name));
    label->move(pixels(leftTwips), pixels(topTwips));
    label->adjustSize();
}

void QtAboutDialog::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace velmora
