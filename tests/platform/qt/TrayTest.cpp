#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <vector>

#include "qt/QtTrayIcon.h"
#include "qt/QtTrayMenu.h"
#include "support/QtTestApplication.h"

namespace velmora {
namespace {

class TrayTest : public ::testing::Test {
  protected:
    test::QtTestApplication app;
};

TEST_F(TrayTest, MenuHoldsTheFourItemsInOrderAndPassesOnTheirCommands) {
    std::vector<TrayCommand> picked;
    QtTrayMenu tray([&](TrayCommand command) { picked.push_back(command); });
    QMenu& menu = tray.menu();
    EXPECT_EQ(menu.objectName(), "trayMenu");
    EXPECT_EQ(menu.title().toStdString(), "タスクトレイメニュー");

    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text().toStdString(), "Velmora について(&A)...");
    EXPECT_EQ(actions[1]->text().toStdString(), "設定(&C)");
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text().toStdString(), "終了(&X)");

    actions[3]->trigger();
    actions[0]->trigger();
    actions[1]->trigger();
    EXPECT_EQ(picked, (std::vector<TrayCommand>{TrayCommand::Exit, TrayCommand::About,
                                                TrayCommand::Config}));
}

TEST_F(TrayTest, PickingFromThePopUpRunsTheCommandAndCloses) {
    std::vector<TrayCommand> picked;
    QtTrayMenu tray([&](TrayCommand command) { picked.push_back(command); });
    QTimer::singleShot(0, [&] {
        tray.menu().actions()[1]->trigger();
        tray.menu().close();
    });
    tray.popUpAtPointer();
    EXPECT_EQ(picked, std::vector<TrayCommand>{TrayCommand::Config});
    EXPECT_FALSE(tray.menu().isVisible());
}

TEST_F(TrayTest, WithoutANotificationAreaTheIconIsRefusedAndTheProgramGoesOn) {
    std::vector<TrayMessage> messages;
    QtTrayIcon icon([&](TrayMessage message) { messages.push_back(message); });
    EXPECT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_FALSE(icon.add("Velmora"));
    icon.remove();
    EXPECT_FALSE(icon.remove());
    EXPECT_TRUE(messages.empty());
}

TEST(TrayMessageTest, ActivationReasonsMapToPressDoubleClickAndRightPress) {
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::Trigger), TrayMessage::LeftButtonDown);
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::DoubleClick), TrayMessage::LeftDoubleClick);
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::Context), TrayMessage::RightButtonDown);
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::MiddleClick), std::nullopt);
    EXPECT_EQ(trayMessageFor(QSystemTrayIcon::Unknown), std::nullopt);
}

}  // namespace
}  // namespace velmora
