#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "log/EventLog.h"
#include "ports/RegistryBackend.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/fakes/FakeAutostart.h"
#include "support/fakes/FakeRegistryBackend.h"
#include "window/SettingsWindow.h"

namespace velmora {
namespace {

// A registry, with every change recorded in order and chosen value
// names refused as a registry without the rights would refuse them.
class RecordingBackend final : public RegistryBackend {
  public:
    explicit RecordingBackend(RegistryBackend& real) : real_(real) {}

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override {
        return real_.queryValue(root, keyPath, valueName, value);
    }
    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override {
        changes.push_back("set " + valueName + "=" + value.data.substr(0, value.data.find('\0')));
        if (refused.contains(valueName)) {
            return RegStatus::AccessDenied;
        }
        return real_.setValue(root, keyPath, valueName, value);
    }
    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override {
        changes.push_back("delete " + valueName);
        return real_.deleteValue(root, keyPath, valueName);
    }

    std::vector<std::string> changes;
    std::set<std::string> refused;

  private:
    RegistryBackend& real_;
};

class MainWindowTest : public ::testing::Test {
  protected:
    void storeSetting(const std::string& name, const std::string& text) {
        reg.writeValue(RootKey::CurrentUser, settingsKeyPath(), name, text);
        backend.changes.clear();
    }
    std::string storedSetting(const std::string& name) {
        return reg.readValue(RootKey::CurrentUser, settingsKeyPath(), name);
    }
    std::string startupEntry(const std::string& name) { return autostart.command(name); }
    // The program's folder and name joined with the platform's own separator.
    static std::string programIn(const std::string& folder, const std::string& name) {
        return (std::filesystem::path(folder) / name).string();
    }
    // Loaded from the store and shown, as the user sees it after opening the settings.
    void loadAndShow() {
        window.loadSettings();
        window.setWindowState(WindowState::Normal);
        window.setVisible(true);
    }
    void typeInterval(const std::string& text) {
        ASSERT_TRUE(window.setFocus(window.intervalBox));
        window.intervalBox.setText(text);
    }
    bool intervalControlsEnabled(bool expected) {
        return window.intervalLabels[0].enabled() == expected &&
               window.intervalLabels[1].enabled() == expected &&
               window.intervalBox.enabled() == expected &&
               window.intervalScrollBar.enabled() == expected;
    }

    test::TempDir dir;
    test::RecordingNotifier notifier;
    EventLog log{LogDestinations{dir / "velmora.log", dir / "fallback.log"}, notifier,
                 test::fixedTime};
    test::FakeRegistryBackend files;
    RecordingBackend backend{files};
    Reg reg{backend, log};
    test::FakeAutostart autostart;
    RegistrySettings settings{reg, autostart, startupEntryFor("/opt/tools", "velmora")};
    SettingsWindow window{settings};
};

TEST_F(MainWindowTest, FirstStartWithNothingStoredShowsTheDefaults) {
    window.loadSettings();

    EXPECT_TRUE(window.flavourOptions[0].value());
    EXPECT_FALSE(window.flavourOptions[1].value());
    EXPECT_EQ(window.flavourLabel.tag(), "0");
    for (const CheckBox* box : {&window.autoUpdateCheckBox, &window.startWithSessionCheckBox,
                                &window.logCheckBox, &window.keepPackagesCheckBox}) {
        EXPECT_EQ(box->value(), 0) << box->name();
    }
    EXPECT_EQ(window.intervalBox.text(), "1");
    EXPECT_EQ(window.intervalScrollBar.value(), 99);
    EXPECT_TRUE(intervalControlsEnabled(false));
    EXPECT_FALSE(window.applyButton.enabled());
    EXPECT_TRUE(backend.changes.empty());
}

TEST_F(MainWindowTest, StoredFlavourAndIntervalAreShownWithoutUnappliedChanges) {
    storeSetting("IUP", "1");
    storeSetting("Interval", "24");
    storeSetting("Auto", "1");
    storeSetting("Log", "1");
    window.loadSettings();

    EXPECT_TRUE(window.flavourOptions[1].value());
    EXPECT_FALSE(window.flavourOptions[0].value());
    EXPECT_EQ(window.flavourLabel.tag(), "1");
    EXPECT_EQ(window.intervalBox.text(), "24");
    EXPECT_EQ(window.intervalScrollBar.value(), 76);
    EXPECT_EQ(window.autoUpdateCheckBox.value(), 1);
    EXPECT_EQ(window.logCheckBox.value(), 1);
    EXPECT_TRUE(intervalControlsEnabled(true));
    EXPECT_FALSE(window.applyButton.enabled());
}

TEST_F(MainWindowTest, StoredValuesOutsideTheWindowsRangesLoadAsSoundValues) {
    const std::vector<std::pair<std::string, std::string>> intervals = {
        {"150", "99"}, {"0", "1"}, {"-5", "1"}, {"70000", "1"}, {"-70000", "1"}, {"abc", "1"}};
    for (const auto& [stored, shown] : intervals) {
        storeSetting("Interval", stored);
        window.loadSettings();
        EXPECT_EQ(window.intervalBox.text(), shown) << stored;
        EXPECT_EQ(window.intervalScrollBar.value(), 100 - std::stoi(shown)) << stored;
        EXPECT_FALSE(window.applyButton.enabled()) << stored;
    }

    storeSetting("IUP", "2");
    storeSetting("Auto", "-1");
    storeSetting("Run", "2");
    window.loadSettings();
    EXPECT_TRUE(window.flavourOptions[0].value());
    EXPECT_EQ(window.flavourLabel.tag(), "0");
    EXPECT_EQ(window.autoUpdateCheckBox.value(), 0);
    EXPECT_EQ(window.startWithSessionCheckBox.value(), 0);
    EXPECT_TRUE(intervalControlsEnabled(false));
}

TEST_F(MainWindowTest, LeavingTheIntervalTurnsAnyTextIntoWholeHoursInRange) {
    struct Case {
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {{"150", "99"}, {"0", "1"},     {"-3", "1"},  {"abc", "1"},
                          {"2.5", "3"},  {"24.4", "24"}, {"", "1"},    {" 7 ", "7"},
                          {"1e1", "10"}, {"98.5", "99"}, {"0.4", "1"}, {"1e400", "1"}};
    storeSetting("Auto", "1");
    storeSetting("Interval", "50");
    for (const Case& c : cases) {
        loadAndShow();
        typeInterval(c.typed);
        EXPECT_FALSE(window.applyButton.enabled()) << "typing alone changes nothing: " << c.typed;

        ASSERT_TRUE(window.setFocus(window.logCheckBox));

        EXPECT_EQ(window.intervalBox.text(), c.shown) << c.typed;
        EXPECT_EQ(window.intervalScrollBar.value(), 100 - std::stoi(c.shown)) << c.typed;
        EXPECT_TRUE(window.applyButton.enabled()) << c.typed;
        EXPECT_EQ(window.focused(), &window.logCheckBox) << "the focus change goes ahead";
    }
}

// With the bar already at its bottom, raising the text to the minimum does not move the bar,
// so nothing but the check itself mends the text.
TEST_F(MainWindowTest, AtTheLowestIntervalTextBelowItIsStillRaisedToIt) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "1");
    for (const char* typed : {"0", "-3"}) {
        loadAndShow();
        typeInterval(typed);
        ASSERT_TRUE(window.setFocus(window.logCheckBox));
        EXPECT_EQ(window.intervalBox.text(), "1") << typed;

        typeInterval(typed);
        window.logCheckBox.setValue(window.logCheckBox.value() == 1 ? 0 : 1);
        ASSERT_TRUE(window.applyButton.enabled());
        window.applyButton.click();  // Alt+A: the focus stays in the text box
        EXPECT_EQ(storedSetting("Interval"), "1") << typed;
    }
}

TEST_F(MainWindowTest, TypingTheIntervalAlreadySetLeavesNoUnappliedChange) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    for (const char* typed : {"24", "024", "24.0", "23.5"}) {
        loadAndShow();
        typeInterval(typed);
        ASSERT_TRUE(window.setFocus(window.okButton));
        EXPECT_EQ(window.intervalBox.text(), "24") << typed;
        EXPECT_FALSE(window.applyButton.enabled()) << typed;
    }
}

TEST_F(MainWindowTest, TheBarAddsAnHourUpToTheMaximumAndTakesTheFocusToTheText) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "98");
    loadAndShow();
    ASSERT_TRUE(window.setFocus(window.intervalScrollBar));

    window.intervalScrollBar.setValue(window.intervalScrollBar.value() - 1);  // the up arrow
    EXPECT_EQ(window.intervalBox.text(), "99");
    EXPECT_EQ(window.focused(), &window.intervalBox);
    EXPECT_TRUE(window.applyButton.enabled());

    window.onApplyClicked();
    window.intervalScrollBar.setValue(window.intervalScrollBar.value() - 1);
    EXPECT_EQ(window.intervalBox.text(), "99");
    EXPECT_FALSE(window.applyButton.enabled()) << "at the top the arrow does nothing more";
}

TEST_F(MainWindowTest, AutomaticUpdateSwitchesTheIntervalControlsAndMarksAChange) {
    storeSetting("Auto", "1");
    loadAndShow();
    ASSERT_TRUE(intervalControlsEnabled(true));

    window.autoUpdateCheckBox.setValue(0);
    EXPECT_TRUE(intervalControlsEnabled(false));
    EXPECT_TRUE(window.applyButton.enabled());
    EXPECT_TRUE(window.autoUpdateCheckBox.enabled());

    window.onApplyClicked();
    window.autoUpdateCheckBox.setValue(1);
    EXPECT_TRUE(intervalControlsEnabled(true));
    EXPECT_TRUE(window.applyButton.enabled());

    for (CheckBox* box :
         {&window.startWithSessionCheckBox, &window.logCheckBox, &window.keepPackagesCheckBox}) {
        window.onApplyClicked();
        box->setValue(1);
        EXPECT_TRUE(window.applyButton.enabled()) << box->name();
    }
}

TEST_F(MainWindowTest, CancelFocusesTheChosenFlavourThenRestoresWhatIsStored) {
    storeSetting("Interval", "12");
    loadAndShow();
    std::vector<std::string> focusMoves;
    const Subscription watching = window.observe([&](ControlProperty property) {
        if (property == ControlProperty::Focus) {
            const Control* focused = window.focused();
            focusMoves.push_back(focused->name() + std::to_string(focused->index()));
        }
    });
    window.flavourOptions[1].setValue(true);
    window.keepPackagesCheckBox.setValue(1);
    window.intervalScrollBar.setValue(50);
    ASSERT_TRUE(window.setFocus(window.keepPackagesCheckBox));
    focusMoves.clear();

    window.cancelButton.click();

    ASSERT_FALSE(focusMoves.empty());
    EXPECT_EQ(focusMoves.front(), "flavourOptions1");
    EXPECT_EQ(window.windowState(), WindowState::Minimized);
    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(window.flavourOptions[0].value());
    EXPECT_EQ(window.flavourLabel.tag(), "0");
    EXPECT_EQ(window.keepPackagesCheckBox.value(), 0);
    EXPECT_EQ(window.intervalBox.text(), "12");
    EXPECT_FALSE(window.applyButton.enabled());
    EXPECT_TRUE(backend.changes.empty());
}

TEST_F(MainWindowTest, OkWithoutChangesOnlyHides) {
    loadAndShow();
    window.okButton.click();
    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(backend.changes.empty());
}

TEST_F(MainWindowTest, ApplyWritesAllSixValuesThenTheStartupEntryInOrder) {
    storeSetting("Interval", "24");
    loadAndShow();
    window.flavourOptions[1].setValue(true);
    window.autoUpdateCheckBox.setValue(1);
    window.keepPackagesCheckBox.setValue(1);
    window.startWithSessionCheckBox.setValue(1);

    window.applyButton.click();

    EXPECT_EQ(backend.changes,
              (std::vector<std::string>{"set IUP=1", "set Auto=1", "set Interval=24", "set Log=0",
                                        "set Remove=1", "set Run=1"}));
    EXPECT_EQ(autostart.changes,
              std::vector<std::string>{"enable velmora=" + programIn("/opt/tools", "velmora")});
    EXPECT_TRUE(window.visible());
    EXPECT_FALSE(window.applyButton.enabled());
    EXPECT_EQ(storedSetting("IUP"), "1");
    EXPECT_EQ(storedSetting("Log"), "0");
    EXPECT_EQ(startupEntry("velmora"), programIn("/opt/tools", "velmora"));

    window.startWithSessionCheckBox.setValue(0);
    window.applyButton.click();
    EXPECT_EQ(autostart.changes.back(), "disable velmora");
    EXPECT_EQ(startupEntry("velmora"), "");
    EXPECT_EQ(storedSetting("Run"), "0");

    // Deleting the entry once more, when it is already gone, is harmless.
    window.logCheckBox.setValue(1);
    window.applyButton.click();
    EXPECT_EQ(storedSetting("Log"), "1");
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(MainWindowTest, OkWithChangesStoresEverythingAndHides) {
    loadAndShow();
    window.startWithSessionCheckBox.setValue(1);
    window.okButton.click();
    EXPECT_EQ(backend.changes.size(), 6u);
    EXPECT_EQ(autostart.changes.size(), 1u);
    EXPECT_EQ(storedSetting("Run"), "1");
    EXPECT_EQ(startupEntry("velmora"), programIn("/opt/tools", "velmora"));
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(window.applyButton.enabled());
}

TEST_F(MainWindowTest, AnIntervalConfirmedWithoutLeavingTheTextIsValidatedBeforeItIsStored) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    loadAndShow();
    typeInterval("150");
    window.okButton.click();  // Enter: the focus stays in the text box
    EXPECT_EQ(storedSetting("Interval"), "99");
    window.loadSettings();
    EXPECT_EQ(window.intervalBox.text(), "99");

    loadAndShow();
    typeInterval("abc");
    window.logCheckBox.setValue(1);
    window.applyButton.click();  // Alt+A: no focus change either
    EXPECT_EQ(storedSetting("Interval"), "1");
    EXPECT_EQ(window.intervalBox.text(), "1");
}

TEST_F(MainWindowTest, ARefusedWriteNeitherStopsTheOthersNorKeepsApplyEnabled) {
    backend.refused = {"IUP"};
    autostart.refused = {"velmora"};
    loadAndShow();
    window.startWithSessionCheckBox.setValue(1);
    window.logCheckBox.setValue(1);
    window.applyButton.click();
    EXPECT_EQ(backend.changes.size(), 6u);
    EXPECT_EQ(autostart.changes.size(), 1u);
    EXPECT_EQ(storedSetting("IUP"), "");
    EXPECT_EQ(storedSetting("Log"), "1");
    EXPECT_EQ(storedSetting("Run"), "1");
    EXPECT_EQ(startupEntry("velmora"), "");
    EXPECT_FALSE(window.applyButton.enabled());
}

TEST_F(MainWindowTest, AStartupEntryTheSystemFailsToChangeIsReportedAsAFailedWriteIs) {
    autostart.failure = std::errc::no_space_on_device;
    loadAndShow();
    window.startWithSessionCheckBox.setValue(1);
    window.applyButton.click();
    window.startWithSessionCheckBox.setValue(0);
    window.applyButton.click();
    EXPECT_EQ(notifier.notices, std::vector<std::string>(2, "ERROR #28 : No space left on device"));
    EXPECT_NE(test::readFile(dir / "velmora.log").find("ERROR #28 : No space left on device\r\n"),
              std::string::npos);
    EXPECT_EQ(storedSetting("Run"), "0");
    EXPECT_FALSE(window.applyButton.enabled());
}

TEST_F(MainWindowTest, ClosingWhileARunHasLockedTheWindowDiscardsEditsAndKeepsTheLock) {
    storeSetting("Auto", "1");
    loadAndShow();
    window.logCheckBox.setValue(1);
    ASSERT_TRUE(window.setFocus(window.logCheckBox));
    // The lock an update run puts on the window.
    window.setLockedByRun(true);
    for (Control* control : std::vector<Control*>{
             &window.updateNowButton, &window.okButton, &window.cancelButton, &window.applyButton,
             &window.flavourOptions[0], &window.flavourOptions[1], &window.autoUpdateCheckBox,
             &window.intervalBox, &window.intervalScrollBar, &window.startWithSessionCheckBox,
             &window.logCheckBox, &window.keepPackagesCheckBox}) {
        control->setEnabled(false);
    }

    window.onCancelClicked();  // the close box

    EXPECT_FALSE(window.visible());
    EXPECT_EQ(window.logCheckBox.value(), 0);
    EXPECT_FALSE(window.intervalBox.enabled());
    EXPECT_FALSE(window.intervalScrollBar.enabled());

    // Unlocking as a run ends restores the interval controls from autoUpdateCheckBox.
    window.setLockedByRun(false);
    window.autoUpdateCheckBox.setEnabled(true);
    window.applyAutoUpdateState();
    EXPECT_TRUE(intervalControlsEnabled(true));
}

TEST_F(MainWindowTest, TheStartupEntryFollowsTheExecutablesCurrentName) {
    loadAndShow();
    window.startWithSessionCheckBox.setValue(1);
    window.applyButton.click();

    RegistrySettings renamedSettings(reg, autostart, startupEntryFor("/", "renamed"));
    SettingsWindow renamed(renamedSettings);
    renamed.loadSettings();
    renamed.logCheckBox.setValue(1);
    renamed.onApplyClicked();
    EXPECT_EQ(startupEntry("renamed"), programIn("/", "renamed"));
    EXPECT_EQ(startupEntry("velmora"), programIn("/opt/tools", "velmora"));

    renamed.startWithSessionCheckBox.setValue(0);
    renamed.onApplyClicked();
    EXPECT_EQ(startupEntry("renamed"), "");
    EXPECT_EQ(startupEntry("velmora"), programIn("/opt/tools", "velmora"));
}

}  // namespace
}  // namespace velmora
