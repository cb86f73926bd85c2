#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "qt/QtShellWindows.h"
#include "support/QtTestApplication.h"
#include "tray/TrayIconLogic.h"

namespace velmora {
namespace {

// The real About box and tray menu; the settings window is a bare form with a plain widget
// standing in for its view.
class QtShellWindowsTest : public ::testing::Test {
  protected:
    test::QtTestApplication app;
    Form settings{"settingsWindow", "Velmora", 5415, 6450};
    std::unique_ptr<QWidget> view;
    int viewsBuilt = 0;
    std::vector<TrayCommand> picked;
    QtTrayMenu menu{[this](TrayCommand command) { picked.push_back(command); }};
    QtShellWindows windows{settings, [this]() -> QWidget& { return settingsView(); }, menu};

    QWidget& settingsView() {
        if (!view) {
            view = std::make_unique<QWidget>();
            ++viewsBuilt;
            // Like the real view, it follows the form from the moment it exists.
            subscription = settings.observe([this](ControlProperty property) {
                if (property == ControlProperty::Visible) {
                    view->setVisible(settings.visible());
                }
            });
        }
        return *view;
    }
    Subscription subscription;

    void SetUp() override { settings.setVisible(false); }
};

TEST_F(QtShellWindowsTest, SettingsWindowIsShownThroughItsFormAndBuiltOnlyWhenFirstShown) {
    settings.setWindowState(WindowState::Minimized);
    EXPECT_FALSE(windows.settingsVisible());
    windows.restoreSettings();
    EXPECT_EQ(settings.windowState(), WindowState::Normal);
    EXPECT_EQ(viewsBuilt, 0);

    windows.showSettings();
    EXPECT_TRUE(windows.settingsVisible());
    ASSERT_EQ(viewsBuilt, 1);
    EXPECT_TRUE(view->isVisible()) << "the view was there to follow the change";

    windows.bringSettingsToFront();
    settings.setVisible(false);
    windows.showSettings();
    EXPECT_EQ(viewsBuilt, 1);
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
        logic.onAboutChosen();
        windows.unloadAboutBox();
    });
    logic.onAboutChosen();
    EXPECT_FALSE(settings.visible());

    logic.onTrayMessage(TrayMessage::LeftDoubleClick);
    EXPECT_TRUE(settings.visible());
}

}  // namespace
}  // namespace velmora
