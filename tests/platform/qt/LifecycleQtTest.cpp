#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qt/QtShellWindows.h"
#include "qt/SettingsWindowView.h"
#include "shell/Lifecycle.h"
#include "support/QtTestApplication.h"
#include "support/ScriptedTrayIcon.h"
#include "support/TempSettings.h"
#include "tray/TrayIconLogic.h"
#include "window/SettingsWindow.h"

namespace velmora {
namespace {

// The program's start and end with the real settings window, its widgets, the About box, the
// tray menu and the tray logic on the offscreen platform; only the tray icon is scripted.
class MainFormQtTest : public ::testing::Test {
  protected:
    test::QtTestApplication app;
    test::TempSettings settings;
    SettingsWindow window{settings.settings};
    std::unique_ptr<SettingsWindowView> view;
    TrayMenu menu{[this](TrayCommand command) { trayLogic.onMenuCommand(command); }};
    QtShellWindows windows{window, [this]() -> QWidget& { return settingsView(); }, menu};
    test::ScriptedTrayIcon tray;
    NotifyIcon notifyIcon{tray, settings.log};
    std::vector<std::string> calls;
    Lifecycle form{window,
                   notifyIcon,
                   windows,
                   {.resetTickCounter = [] {},
                    .installedDefinitions = [] { return std::string(); },
                    .findLatestPackage =
                        [](const bool&, const bool&) { return std::optional<PublishedPackage>(); },
                    .endProgram = [this] { calls.emplace_back("end"); }}};
    TrayIconLogic trayLogic{windows, [this] { form.unload(UnloadMode::Code); }};

    void SetUp() override {
        tray.onCall = [this](const std::string& call) { calls.push_back(call); };
        form.startUp();
    }

    QWidget& settingsView() {
        if (!view) {
            view = std::make_unique<SettingsWindowView>(window);
        }
        return *view;
    }
};

TEST_F(MainFormQtTest, EndingWhileTheAboutBoxIsOpenClosesItRemovesTheIconAndEndsOnce) {
    bool openWhenEnding = false;
    QTimer::singleShot(0, [&] {
        openWhenEnding = windows.aboutBoxVisible();
        form.unload(UnloadMode::TaskManager);
        form.unload(UnloadMode::SessionEnd);  // aboutToQuit follows the first request
    });
    // Should the unload leave the box open, this closes it, so that the test fails
    // instead of hanging.
    bool closedByTheTest = false;
    QObject safetyScope;
    QTimer::singleShot(5000, &safetyScope, [&] {
        closedByTheTest = windows.aboutBoxVisible();
        windows.unloadAboutBox();
    });
    windows.showAboutBoxModal();

    EXPECT_TRUE(openWhenEnding);
    EXPECT_FALSE(closedByTheTest);
    EXPECT_FALSE(windows.aboutBoxVisible());
    EXPECT_EQ(calls, (std::vector<std::string>{"add:Velmora", "remove", "end"}));
    EXPECT_FALSE(view) << "the settings widgets were never needed";
}

// The X11 tray embeds a window of the program's own; its right press opens the menu.
class TrayWindowStandIn final : public QWidget {
  public:
    explicit TrayWindowStandIn(TrayIconLogic& logic)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint),
          logic_(logic) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        resize(22, 22);
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            logic_.onTrayMessage(TrayMessage::RightButtonDown);
        }
    }

  private:
    TrayIconLogic& logic_;
};

TEST_F(MainFormQtTest, TheTrayMenuOpensOverTheAboutBoxAndItsExitEndsTheProgram) {
    TrayWindowStandIn trayWindow(trayLogic);
    trayWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&trayWindow));

    bool menuOpened = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(windows.aboutBoxVisible());
        // Runs inside the menu's own loop once it is open.
        QTimer::singleShot(0, [&] {
            menuOpened = menu.menu().isVisible();
            if (menuOpened) {
                QTest::keyClick(&menu.menu(), Qt::Key_X);  // 終了(&X)
            } else {
                windows.unloadAboutBox();
            }
        });
        // Through the window system, where a modal box blocks the windows it is modal to.
        QTest::mousePress(trayWindow.windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(trayWindow.windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
    });
    QObject safetyScope;
    QTimer::singleShot(5000, &safetyScope, [&] {
        menu.menu().close();
        windows.unloadAboutBox();
    });
    trayLogic.onAboutChosen();

    EXPECT_TRUE(menuOpened);
    EXPECT_FALSE(windows.aboutBoxVisible());
    EXPECT_FALSE(menu.menu().isVisible());
    EXPECT_EQ(calls, (std::vector<std::string>{"add:Velmora", "remove", "end"}));
}

TEST_F(MainFormQtTest, MinimisingTheShownWindowHidesItAndTheProgramGoesOn) {
    windows.restoreSettings();
    windows.showSettings();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isVisible());

    view->setWindowState(view->windowState() | Qt::WindowMinimized);

    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(calls, std::vector<std::string>{"add:Velmora"});

    windows.restoreSettings();
    windows.showSettings();
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(view->isMinimized());
}

}  // namespace
}  // namespace velmora
