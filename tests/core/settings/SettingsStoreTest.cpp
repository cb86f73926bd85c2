#include <gtest/gtest.h>

#include "settings/SettingsStore.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/fakes/FakeRegistryBackend.h"

namespace velmora::test {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr std::int16_t kIntervalMinimum = 1;

class SettingsStoreTest : public ::testing::Test {
  protected:
    TempDir dir;
    RecordingNotifier notifier;
    EventLog log{{dir / "velmora.log", {}}, notifier, test::fixedTime};
    FakeRegistryBackend backend;
    Reg reg{backend, log};
    SettingsStore store{reg, kIntervalMinimum};

    void keep(const std::string& name, const std::string& text) {
        ASSERT_TRUE(reg.writeValue(kUser, SettingsStore::settingsKeyPath(), name, text));
    }
};

TEST_F(SettingsStoreTest, SettingsKeyIsSoftwareTessaloyVelmora) {
    EXPECT_EQ(SettingsStore::settingsKeyPath(), "Software\\Tessaloy\\Velmora");
}

TEST_F(SettingsStoreTest, EmptyStoreGivesEveryDefault) {
    EXPECT_EQ(store.flavourSetting(), 0);
    EXPECT_EQ(store.autoSetting(), 0);
    EXPECT_EQ(store.intervalSetting(), kIntervalMinimum);
    EXPECT_EQ(store.logSetting(), 0);
    EXPECT_EQ(store.removeSetting(), 0);
    EXPECT_EQ(store.runSetting(), 0);
    EXPECT_EQ(SettingsStore(reg, 5).intervalSetting(), 5) << "the window's minimum is the default";
    EXPECT_TRUE(backend.tree()->keys.empty()) << "reading creates nothing";
}

TEST_F(SettingsStoreTest, EachGetterReadsItsOwnValue) {
    keep("IUP", "1");
    keep("Auto", "2");
    keep("Interval", "3");
    keep("Log", "4");
    keep("Remove", "5");
    keep("Run", "6");
    EXPECT_EQ(store.flavourSetting(), 1);
    EXPECT_EQ(store.autoSetting(), 2);
    EXPECT_EQ(store.intervalSetting(), 3);
    EXPECT_EQ(store.logSetting(), 4);
    EXPECT_EQ(store.removeSetting(), 5);
    EXPECT_EQ(store.runSetting(), 6);
}

TEST_F(SettingsStoreTest, NumericTextsAreRoundedAndAnythingElseIsTheDefault) {
    const std::pair<const char*, std::int16_t> cases[] = {
        {"2.5", 2},     {"3.5", 4},     {" 7 ", 7}, {"-2.5", -2},     {"1e2", 100},
        {"+4", 4},      {"500", 500},   {"-1", -1}, {"32767", 32767}, {"-32768", -32768},
        {"letters", 1}, {"", 1},        {"yes", 1}, {"1,5", 1},       {"0x10", 1},
        {"70000", 1},   {"32767.5", 1}, {"1e5", 1}, {"-40000", 1},
    };
    for (const auto& [text, expected] : cases) {
        keep("Interval", text);
        EXPECT_EQ(store.intervalSetting(), expected) << '"' << text << '"';
    }
    keep("Auto", "yes");
    EXPECT_EQ(store.autoSetting(), 0);
    keep("IUP", "5");
    EXPECT_EQ(store.flavourSetting(), 5) << "no range check: the window gets what is stored";
}

TEST_F(SettingsStoreTest, ValuesTheReadBufferCannotHoldReadAsTheDefault) {
    keep("Interval", std::string(254, ' ') + "9");
    EXPECT_EQ(store.intervalSetting(), 9);
    keep("Interval", std::string(255, ' ') + "9");
    EXPECT_EQ(store.intervalSetting(), kIntervalMinimum);
    ASSERT_EQ(backend.setValue(kUser, SettingsStore::settingsKeyPath(), "Run",
                               {kRegDword, std::string("\1\0\0\0", 4)}),
              RegStatus::Success);
    EXPECT_EQ(store.runSetting(), 0) << "a number that is not a string reads as the default";
}

}  // namespace
}  // namespace velmora::test
