#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "qt/QtAboutDialog.h"
#include "support/QtTestApplication.h"

namespace velmora {
namespace {

class AboutDialogTest : public ::testing::Test {
  protected:
    test::QtTestApplication app;

    static QString labelText(const QDialog& box, const char* label) {
        const auto* widget = box.findChild<QLabel*>(QString::fromLatin1(label));
        return widget == nullptr ? QStringLiteral("<missing>") : widget->text();
    }

    // Opens a fresh box modally, lets `whileOpen` act on it, and returns how it ended.
    int runModal(const std::function<void(QtAboutDialog&)>& whileOpen) {
        QtAboutDialog box;
        bool wasVisible = false;
        QTimer::singleShot(0, [&] {
            wasVisible = box.isVisible();
            whileOpen(box);
        });
        const int result = box.exec();
        EXPECT_TRUE(wasVisible);
        EXPECT_FALSE(box.isVisible());
        return result;
    }
};

TEST_F(AboutDialogTest, ShowsCaptionTitleVersionAndOurOwnLines) {
    const QtAboutDialog box;
    EXPECT_EQ(box.windowTitle().toStdString(), "Velmoraについて");
    EXPECT_EQ(labelText(box, "titleLabel"), "Velmora");
    EXPECT_EQ(labelText(box, "versionLabel"), "Version 0.9.48");
    EXPECT_TRUE(labelText(box, "copyrightLabel").contains("Tessaloy"));
    EXPECT_FALSE(labelText(box, "descriptionLabel").isEmpty());
    EXPECT_FALSE(box.windowIcon().isNull());
    const auto* picture = box.findChild<QLabel*>(QStringLiteral("iconLabel"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
}

TEST_F(AboutDialogTest, LaysOutTheControlsAtTheirPlacesInAFixedCentredBox) {
    const QtAboutDialog box;
    EXPECT_EQ(box.size(), QSize(413, 132));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(box.parentWidget(), nullptr);

    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("iconLabel"))->geometry(),
              QRect(16, 16, 36, 36));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("titleLabel"))->pos(), QPoint(64, 16));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("versionLabel"))->pos(), QPoint(64, 40));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("copyrightLabel"))->pos(), QPoint(64, 64));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("descriptionLabel"))->pos(), QPoint(64, 88));
    for (const QLabel* label : box.findChildren<QLabel*>()) {
        EXPECT_TRUE(QRect(QPoint(0, 0), box.size()).contains(label->geometry()))
            << label->objectName().toStdString() << " leaves the box";
    }
    const auto* ok = box.findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(ok->geometry(), QRect(304, 24, 95, 23));
    EXPECT_TRUE(ok->isDefault());

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((box.geometry().center() - screen.center()).manhattanLength(), 2);
}

TEST_F(AboutDialogTest, EnterEscAndTheButtonAllCloseTheBox) {
    EXPECT_EQ(runModal([](QtAboutDialog& box) { QTest::keyClick(&box, Qt::Key_Return); }),
              QDialog::Accepted);
    EXPECT_EQ(runModal([](QtAboutDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              QDialog::Rejected);
    EXPECT_EQ(runModal([](QtAboutDialog& box) {
                  QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("okButton")),
                                    Qt::LeftButton);
              }),
              QDialog::Accepted);
}

}  // namespace
}  // namespace velmora
