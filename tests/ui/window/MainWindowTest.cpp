#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "log/EventLog.h"
#include "ports/RegistryBackend.h"
#include "settings/Reg.h"
#include "settings/SettingsStore.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/fakes/FakeRegistryBackend.h"
#include "window/MainWindow.h"

namespace velmora {
namespace {

// A registry, with every change recorded in order and chosen value
// names refused as a registry without the rights would refuse them.
class RecordingBackend final : public RegistryBackend {
  public:
    explicit RecordingBackend(RegistryBackend& real) : real_(real) {}

    RegStatus openKey(RootKey root, const std::string& keyPath) override {
        return real_.openKey(root, keyPath);
    }
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
        reg.RegWriteValue(RootKey::CurrentUser, SettingsStore::SettingsKeyPath(), name, text);
        backend.changes.clear();
    }
    std::string storedSetting(const std::string& name) {
        return reg.RegReadValue(RootKey::CurrentUser, SettingsStore::SettingsKeyPath(), name);
    }
    std::string startupEntry(const std::string& name) {
        return reg.RegReadValue(RootKey::LocalMachine, kRunKeyPath, name);
    }
    // Loaded from the store and shown, as the user sees it after opening the settings.
    void loadAndShow() {
        window.LoadSettings();
        window.setWindowState(WindowState::Normal);
        window.setVisible(true);
    }
    void typeInterval(const std::string& text) {
        ASSERT_TRUE(window.setFocus(window.txtInterval));
        window.txtInterval.setText(text);
    }
    bool intervalControlsEnabled(bool expected) {
        return window.lblInterval[0].enabled() == expected &&
               window.lblInterval[1].enabled() == expected &&
               window.txtInterval.enabled() == expected &&
               window.scrlInterval.enabled() == expected;
    }

    test::TempDir dir;
    test::RecordingNotifier notifier;
    EventLog log{LogDestinations{dir / "velmora.log", dir / "fallback.log"}, notifier,
                 test::fixedTime};
    test::FakeRegistryBackend files;
    RecordingBackend backend{files};
    Reg reg{backend, log};
    SettingsStore store{reg, MainWindowControls::kIntervalMinimum};
    MainWindow window{store, reg, "/opt/tools", "velmora"};
};

TEST_F(MainWindowTest, FirstStartWithNothingStoredShowsTheDefaults) {
    window.LoadSettings();

    EXPECT_TRUE(window.optIUP[0].value());
    EXPECT_FALSE(window.optIUP[1].value());
    EXPECT_EQ(window.lblIUP.tag(), "0");
    for (const CheckBox* box :
         {&window.chkAuto, &window.chkRun, &window.chkLog, &window.chkRemove}) {
        EXPECT_EQ(box->value(), 0) << box->name();
    }
    EXPECT_EQ(window.txtInterval.text(), "1");
    EXPECT_EQ(window.scrlInterval.value(), 99);
    EXPECT_TRUE(intervalControlsEnabled(false));
    EXPECT_FALSE(window.cmdApply.enabled());
    EXPECT_TRUE(backend.changes.empty());
}

TEST_F(MainWindowTest, StoredFlavourAndIntervalAreShownWithoutUnappliedChanges) {
    storeSetting("IUP", "1");
    storeSetting("Interval", "24");
    storeSetting("Auto", "1");
    storeSetting("Log", "1");
    window.LoadSettings();

    EXPECT_TRUE(window.optIUP[1].value());
    EXPECT_FALSE(window.optIUP[0].value());
    EXPECT_EQ(window.lblIUP.tag(), "1");
    EXPECT_EQ(window.txtInterval.text(), "24");
    EXPECT_EQ(window.scrlInterval.value(), 76);
    EXPECT_EQ(window.chkAuto.value(), 1);
    EXPECT_EQ(window.chkLog.value(), 1);
    EXPECT_TRUE(intervalControlsEnabled(true));
    EXPECT_FALSE(window.cmdApply.enabled());
}

TEST_F(MainWindowTest, StoredValuesOutsideTheWindowsRangesLoadAsSoundValues) {
    const std::vector<std::pair<std::string, std::string>> intervals = {
        {"150", "99"}, {"0", "1"}, {"-5", "1"}, {"70000", "1"}, {"-70000", "1"}, {"abc", "1"}};
    for (const auto& [stored, shown] : intervals) {
        storeSetting("Interval", stored);
        window.LoadSettings();
        EXPECT_EQ(window.txtInterval.text(), shown) << stored;
        EXPECT_EQ(window.scrlInterval.value(), 100 - std::stoi(shown)) << stored;
        EXPECT_FALSE(window.cmdApply.enabled()) << stored;
    }

    storeSetting("IUP", "2");
    storeSetting("Auto", "-1");
    storeSetting("Run", "2");
    window.LoadSettings();
    EXPECT_TRUE(window.optIUP[0].value());
    EXPECT_EQ(window.lblIUP.tag(), "0");
    EXPECT_EQ(window.chkAuto.value(), 0);
    EXPECT_EQ(window.chkRun.value(), 0);
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
        EXPECT_FALSE(window.cmdApply.enabled()) << "typing alone changes nothing: " << c.typed;

        ASSERT_TRUE(window.setFocus(window.chkLog));

        EXPECT_EQ(window.txtInterval.text(), c.shown) << c.typed;
        EXPECT_EQ(window.scrlInterval.value(), 100 - std::stoi(c.shown)) << c.typed;
        EXPECT_TRUE(window.cmdApply.enabled()) << c.typed;
        EXPECT_EQ(window.focused(), &window.chkLog) << "the focus change goes ahead";
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
        ASSERT_TRUE(window.setFocus(window.chkLog));
        EXPECT_EQ(window.txtInterval.text(), "1") << typed;

        typeInterval(typed);
        window.chkLog.setValue(window.chkLog.value() == 1 ? 0 : 1);
        ASSERT_TRUE(window.cmdApply.enabled());
        window.cmdApply.click();  // Alt+A: the focus stays in the text box
        EXPECT_EQ(storedSetting("Interval"), "1") << typed;
    }
}

TEST_F(MainWindowTest, TypingTheIntervalAlreadySetLeavesNoUnappliedChange) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    for (const char* typed : {"24", "024", "24.0", "23.5"}) {
        loadAndShow();
        typeInterval(typed);
        ASSERT_TRUE(window.setFocus(window.cmdOK));
        EXPECT_EQ(window.txtInterval.text(), "24") << typed;
        EXPECT_FALSE(window.cmdApply.enabled()) << typed;
    }
}

TEST_F(MainWindowTest, TheBarAddsAnHourUpToTheMaximumAndTakesTheFocusToTheText) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "98");
    loadAndShow();
    ASSERT_TRUE(window.setFocus(window.scrlInterval));

    window.scrlInterval.setValue(window.scrlInterval.value() - 1);  // the up arrow
    EXPECT_EQ(window.txtInterval.text(), "99");
    EXPECT_EQ(window.focused(), &window.txtInterval);
    EXPECT_TRUE(window.cmdApply.enabled());

    window.cmdApply_Click();
    window.scrlInterval.setValue(window.scrlInterval.value() - 1);
    EXPECT_EQ(window.txtInterval.text(), "99");
    EXPECT_FALSE(window.cmdApply.enabled()) << "at the top the arrow does nothing more";
}

TEST_F(MainWindowTest, AutomaticUpdateSwitchesTheIntervalControlsAndMarksAChange) {
    storeSetting("Auto", "1");
    loadAndShow();
    ASSERT_TRUE(intervalControlsEnabled(true));

    window.chkAuto.setValue(0);
    EXPECT_TRUE(intervalControlsEnabled(false));
    EXPECT_TRUE(window.cmdApply.enabled());
    EXPECT_TRUE(window.chkAuto.enabled());

    window.cmdApply_Click();
    window.chkAuto.setValue(1);
    EXPECT_TRUE(intervalControlsEnabled(true));
    EXPECT_TRUE(window.cmdApply.enabled());

    for (CheckBox* box : {&window.chkRun, &window.chkLog, &window.chkRemove}) {
        window.cmdApply_Click();
        box->setValue(1);
        EXPECT_TRUE(window.cmdApply.enabled()) << box->name();
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
    window.optIUP[1].setValue(true);
    window.chkRemove.setValue(1);
    window.scrlInterval.setValue(50);
    ASSERT_TRUE(window.setFocus(window.chkRemove));
    focusMoves.clear();

    window.cmdCancel.click();

    ASSERT_FALSE(focusMoves.empty());
    EXPECT_EQ(focusMoves.front(), "optIUP1");
    EXPECT_EQ(window.windowState(), WindowState::Minimized);
    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(window.optIUP[0].value());
    EXPECT_EQ(window.lblIUP.tag(), "0");
    EXPECT_EQ(window.chkRemove.value(), 0);
    EXPECT_EQ(window.txtInterval.text(), "12");
    EXPECT_FALSE(window.cmdApply.enabled());
    EXPECT_TRUE(backend.changes.empty());
}

TEST_F(MainWindowTest, OkWithoutChangesOnlyHides) {
    loadAndShow();
    window.cmdOK.click();
    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(backend.changes.empty());
}

TEST_F(MainWindowTest, ApplyWritesAllSixValuesThenTheStartupEntryInOrder) {
    storeSetting("Interval", "24");
    loadAndShow();
    window.optIUP[1].setValue(true);
    window.chkAuto.setValue(1);
    window.chkRemove.setValue(1);
    window.chkRun.setValue(1);

    window.cmdApply.click();

    EXPECT_EQ(backend.changes, (std::vector<std::string>{
                                   "set IUP=1", "set Auto=1", "set Interval=24", "set Log=0",
                                   "set Remove=1", "set Run=1", "set velmora=/opt/tools/velmora"}));
    EXPECT_TRUE(window.visible());
    EXPECT_FALSE(window.cmdApply.enabled());
    EXPECT_EQ(storedSetting("IUP"), "1");
    EXPECT_EQ(storedSetting("Log"), "0");
    EXPECT_EQ(startupEntry("velmora"), "/opt/tools/velmora");

    backend.changes.clear();
    window.chkRun.setValue(0);
    window.cmdApply.click();
    EXPECT_EQ(backend.changes.back(), "delete velmora");
    EXPECT_EQ(startupEntry("velmora"), "");
    EXPECT_EQ(storedSetting("Run"), "0");

    // Deleting the entry once more, when it is already gone, is harmless.
    window.chkLog.setValue(1);
    window.cmdApply.click();
    EXPECT_EQ(storedSetting("Log"), "1");
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(MainWindowTest, OkWithChangesStoresEverythingAndHides) {
    loadAndShow();
    window.chkRun.setValue(1);
    window.cmdOK.click();
    EXPECT_EQ(backend.changes.size(), 7u);
    EXPECT_EQ(storedSetting("Run"), "1");
    EXPECT_EQ(startupEntry("velmora"), "/opt/tools/velmora");
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(window.cmdApply.enabled());
}

TEST_F(MainWindowTest, AnIntervalConfirmedWithoutLeavingTheTextIsValidatedBeforeItIsStored) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    loadAndShow();
    typeInterval("150");
    window.cmdOK.click();  // Enter: the focus stays in the text box
    EXPECT_EQ(storedSetting("Interval"), "99");
    window.LoadSettings();
    EXPECT_EQ(window.txtInterval.text(), "99");

    loadAndShow();
    typeInterval("abc");
    window.chkLog.setValue(1);
    window.cmdApply.click();  // Alt+A: no focus change either
    EXPECT_EQ(storedSetting("Interval"), "1");
    EXPECT_EQ(window.txtInterval.text(), "1");
}

TEST_F(MainWindowTest, ARefusedWriteNeitherStopsTheOthersNorKeepsApplyEnabled) {
    backend.refused = {"IUP", "velmora"};
    loadAndShow();
    window.chkRun.setValue(1);
    window.chkLog.setValue(1);
    window.cmdApply.click();
    EXPECT_EQ(backend.changes.size(), 7u);
    EXPECT_EQ(storedSetting("IUP"), "");
    EXPECT_EQ(storedSetting("Log"), "1");
    EXPECT_EQ(storedSetting("Run"), "1");
    EXPECT_EQ(startupEntry("velmora"), "");
    EXPECT_FALSE(window.cmdApply.enabled());
}

TEST_F(MainWindowTest, ClosingWhileARunHasLockedTheWindowDiscardsEditsAndKeepsTheLock) {
    storeSetting("Auto", "1");
    loadAndShow();
    window.chkLog.setValue(1);
    ASSERT_TRUE(window.setFocus(window.chkLog));
    // The lock an update run puts on the window.
    for (Control* control : std::vector<Control*>{
             &window.cmdUpdateVD, &window.cmdOK, &window.cmdCancel, &window.cmdApply,
             &window.optIUP[0], &window.optIUP[1], &window.chkAuto, &window.txtInterval,
             &window.scrlInterval, &window.chkRun, &window.chkLog, &window.chkRemove}) {
        control->setEnabled(false);
    }

    window.cmdCancel_Click();  // the close box

    EXPECT_FALSE(window.visible());
    EXPECT_EQ(window.chkLog.value(), 0);
    EXPECT_FALSE(window.txtInterval.enabled());
    EXPECT_FALSE(window.scrlInterval.enabled());

    // Unlocking as a run ends restores the interval controls from chkAuto.
    window.chkAuto.setEnabled(true);
    window.ApplyAutoUpdateState();
    EXPECT_TRUE(intervalControlsEnabled(true));
}

TEST_F(MainWindowTest, TheStartupEntryFollowsTheExecutablesCurrentName) {
    loadAndShow();
    window.chkRun.setValue(1);
    window.cmdApply.click();

    MainWindow renamed(store, reg, "/", "renamed");
    renamed.LoadSettings();
    renamed.chkLog.setValue(1);
    renamed.cmdApply_Click();
    EXPECT_EQ(startupEntry("renamed"), "/renamed");
    EXPECT_EQ(startupEntry("velmora"), "/opt/tools/velmora");

    renamed.chkRun.setValue(0);
    renamed.cmdApply_Click();
    EXPECT_EQ(startupEntry("renamed"), "");
    EXPECT_EQ(startupEntry("velmora"), "/opt/tools/velmora");
}

}  // namespace
}  // namespace velmora
