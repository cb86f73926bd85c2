#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "platform/qt/QtShellWindows.h"
#include "shell/TrayIconLogic.h"
#include "support/QtTestApplication.h"

namespace velmora {
namespace {

// The real About box and tray menu; the settings window is a bare form with a plain widget
// standing in for its view.
class QtShellWindowsTest : public ::testing::Test {
  protected:
    test::QtTestApplication app;
    Form settings{"frmMain", "Velmora", 5415, 6450};
    QWidget view;
    std::vector<TrayCommand> picked;
    TrayMenu menu{[this](TrayCommand command) { picked.push_back(command); }};
    QtShellWindows windows{settings, view, menu};

    void SetUp() override { settings.setVisible(false); }
};

TEST_F(QtShellWindowsTest, SettingsWindowIsShownAndRestoredThroughItsForm) {
    settings.setWindowState(WindowState::Minimized);
    EXPECT_FALSE(windows.settingsVisible());
    windows.restoreSettings();
    windows.showSettings();
    EXPECT_TRUE(windows.settingsVisible());
    EXPECT_EQ(settings.windowState(), WindowState::Normal);
    windows.bringSettingsToFront();
}

TEST_F(QtShellWindowsTest, AboutBoxIsModalWhileOpenAndUnloadClosesIt) {
    EXPECT_FALSE(windows.aboutBoxVisible());
    windows.unloadAboutBox();  // nothing loaded: nothing happens

    bool visibleWhileOpen = false;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        visibleWhileOpen = windows.aboutBoxVisible();
        modal = QApplication::activeModalWidget() != nullptr;
        windows.unloadAboutBox();
    });
    windows.showAboutBoxModal();
    EXPECT_TRUE(visibleWhileOpen);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(windows.aboutBoxVisible());
}

TEST_F(QtShellWindowsTest, DoubleClickWhileTheAboutBoxIsUpLeavesTheSettingsHidden) {
    TrayIconLogic logic(windows, [] {});
    QTimer::singleShot(0, [&] {
        logic.onTrayMessage(TrayMessage::LeftButtonDown);
        logic.onTrayMessage(TrayMessage::LeftDoubleClick);
        // The About item does not open a second box on top of the first.
        logic.mnuAbout_Click();
        windows.unloadAboutBox();
    });
    logic.mnuAbout_Click();
    EXPECT_FALSE(settings.visible());

    logic.onTrayMessage(TrayMessage::LeftDoubleClick);
    EXPECT_TRUE(settings.visible());
}

}  // namespace
}  // namespace velmora
