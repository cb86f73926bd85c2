#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/RegistrySettings.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/fakes/FakeAutostart.h"
#include "support/fakes/FakeRegistryBackend.h"

namespace velmora::test {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;

class RegistrySettingsTest : public ::testing::Test {
  protected:
    TempDir dir;
    RecordingNotifier notifier;
    EventLog log{{dir / "velmora.log", {}}, notifier, test::fixedTime};
    FakeRegistryBackend backend;
    Reg reg{backend, log};
    FakeAutostart autostart;
    RegistrySettings settings{reg, autostart, startupEntryFor("/opt/tools", "velmora")};

    void keep(const std::string& name, const std::string& text) {
        ASSERT_TRUE(reg.writeValue(kUser, settingsKeyPath(), name, text));
    }
    Settings loaded() { return settings.load().settings; }
};

TEST_F(RegistrySettingsTest, AnEmptyStoreGivesEveryDefaultAndReadingCreatesNothing) {
    EXPECT_EQ(settingsKeyPath(), "Software\\Tessaloy\\Velmora");
    EXPECT_EQ(loaded(), Settings{});
    EXPECT_EQ(loaded().intervalHours, 1);
    EXPECT_TRUE(backend.tree()->values.empty());
}

TEST_F(RegistrySettingsTest, EachSettingReadsItsOwnValue) {
    keep("IUP", "1");
    keep("Auto", "1");
    keep("Interval", "24");
    keep("Log", "1");
    keep("Remove", "1");
    keep("Run", "1");
    EXPECT_EQ(loaded(), (Settings{.flavour = Flavour::X86,
                                  .autoUpdate = true,
                                  .intervalHours = 24,
                                  .log = true,
                                  .keepPackages = true,
                                  .startWithSession = true}));
}

// Numeric texts are rounded (halves to even) and then brought to what the window can show;
// anything else, and a number beyond 16 bits, reads as the default.
TEST_F(RegistrySettingsTest, NumericTextsAreRoundedAndBroughtIntoRange) {
    const std::pair<const char*, int> intervals[] = {
        {"2.5", 2},  {"3.5", 4},   {" 7 ", 7}, {"1e1", 10},    {"+4", 4}, {"500", 99},
        {"-1", 1},   {"0", 1},     {"99", 99}, {"letters", 1}, {"", 1},   {"1,5", 1},
        {"0x10", 1}, {"70000", 1}, {"1e5", 1}, {"32767.5", 1},
    };
    for (const auto& [text, hours] : intervals) {
        keep("Interval", text);
        EXPECT_EQ(loaded().intervalHours, hours) << '"' << text << '"';
    }
    // A check box shows only 1 as checked; logging is on for every number but 0, as the
    // program's own true (-1) is.
    keep("Auto", "2");
    keep("Run", "yes");
    keep("Remove", "-1");
    keep("Log", "-1");
    keep("IUP", "5");
    const Settings odd = loaded();
    EXPECT_FALSE(odd.autoUpdate);
    EXPECT_FALSE(odd.startWithSession);
    EXPECT_FALSE(odd.keepPackages);
    EXPECT_TRUE(odd.log);
    EXPECT_EQ(odd.flavour, Flavour::I32);
    keep("Log", "0.4");
    EXPECT_FALSE(loaded().log);
}

TEST_F(RegistrySettingsTest, ValuesTheReadBufferCannotHoldReadAsTheDefault) {
    keep("Interval", std::string(254, ' ') + "9");
    EXPECT_EQ(loaded().intervalHours, 9);
    keep("Interval", std::string(255, ' ') + "9");
    EXPECT_EQ(loaded().intervalHours, 1);
    ASSERT_EQ(
        backend.setValue(kUser, settingsKeyPath(), "Run", {kRegDword, std::string("\1\0\0\0", 4)}),
        RegStatus::Success);
    keep("Auto", "1");
    EXPECT_FALSE(loaded().startWithSession) << "a number that is not a string reads as the default";
}

// Every value is written, in one order, and the start-up entry follows the setting; a store
// that refuses one value does not stop the others.
TEST_F(RegistrySettingsTest, SavingWritesEveryValueThenTheStartUpEntry) {
    Settings chosen{.flavour = Flavour::X86,
                    .intervalHours = 12,
                    .keepPackages = true,
                    .startWithSession = true};
    settings.save(chosen);
    EXPECT_EQ(loaded(), chosen);
    EXPECT_EQ(autostart.changes,
              std::vector<std::string>{"enable velmora=" +
                                       startupEntryFor("/opt/tools", "velmora").command});
    for (const char* name : {"IUP", "Auto", "Interval", "Log", "Remove", "Run"}) {
        EXPECT_NE(reg.readValue(kUser, settingsKeyPath(), name), "") << name;
    }
    chosen.startWithSession = false;
    autostart.failure = std::errc::io_error;
    settings.save(chosen);
    EXPECT_EQ(loaded(), chosen);
    ASSERT_EQ(notifier.notices.size(), 1u) << "a failing system is reported as a failed write";
    EXPECT_TRUE(notifier.notices[0].starts_with("ERROR #"));
}

}  // namespace
}  // namespace velmora::test
