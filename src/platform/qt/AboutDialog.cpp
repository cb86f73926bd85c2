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
    setObjectName(QStringLiteral("frmAbout"));
    state_.Form_Load();
    setWindowTitle(QString::fromStdString(state_.caption()));
    setFixedSize(pixels(6195), pixels(1980));

    const QIcon icon = programIcon();
    setWindowIcon(icon);
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(icon.pixmap(picIcon->size()));

    addLabel("lblTitle", state_.lblTitle(), 960, 240);
    addLabel("lblVersion", state_.lblVersion(), 960, 600);
    addLabel("lblCopyRight", state_.lblCopyRight(), 960, 960);
    addLabel("lblDescription", state_.lblDescription(), 960, 1320);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4560, 360, 1422, 348));
    cmdOK->setDefault(true);
    // Esc rejects the dialog, the OK button accepts it: either way the box is unloaded.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    cmdOK->setFocus();

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
