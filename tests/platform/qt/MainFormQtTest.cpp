#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/QtShellWindows.h"
#include "platform/qt/SettingsWindowView.h"
#include "settings/MainWindow.h"
#include "shell/MainForm.h"
#include "support/QtTestApplication.h"
#include "support/ScriptedTrayIcon.h"
#include "support/TempSettings.h"

namespace velmora {
namespace {

// The program's start and end with the real settings window, its widgets, the About box and
// the tray menu on the offscreen platform; only the tray icon is scripted.
class MainFormQtTest : public ::testing::Test {
  protected:
    test::QtTestApplication app;
    test::TempSettings settings;
    MainWindow window{settings.settings, settings.reg, settings.dir.path().string(), "velmora"};
    std::unique_ptr<SettingsWindowView> view;
    TrayMenu menu{[](TrayCommand) {}};
    QtShellWindows windows{window, [this]() -> QWidget& { return settingsView(); }, menu};
    test::ScriptedTrayIcon tray;
    NotifyIcon notifyIcon{tray, settings.log};
    std::vector<std::string> calls;
    MainForm form{window,
                  notifyIcon,
                  windows,
                  {.resetTickCounter = [] {},
                   .installedDefinitions = [] { return std::string(); },
                   .findLatestPackage = [](const Flag16&, const Flag16&) { return std::string(); },
                   .endProgram = [this] { calls.push_back("end"); }}};

    void SetUp() override {
        tray.onCall = [this](const std::string& call) { calls.push_back(call); };
        form.Form_Load();
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
