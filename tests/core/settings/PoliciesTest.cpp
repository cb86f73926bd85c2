#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/PolicyReader.h"
#include "support/fakes/FakeSettings.h"
#include "update/SettingsForRun.h"

namespace velmora::test {
namespace {

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class PoliciesTest : public ::testing::Test {
  protected:
    Settings loaded() { return store.settings.load().settings; }

    FakeSettings store;
};

// For each setting a policy may set: nothing stored gives the default, the user's value
// beats it, and the policy's beats the user's.
TEST_F(PoliciesTest, EachSettingIsThePolicysElseTheUsersElseTheDefault) {
    struct Case {
        const char* name;
        const char* user;
        const char* policy;
    };
    const std::vector<Case> cases{{"IUP", "1", "0"},
                                  {"Auto", "1", "0"},
                                  {"Interval", "12", "24"},
                                  {"Log", "1", "0"},
                                  {"Remove", "1", "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StoredSetting& stored =
            *std::find_if(kStoredSettings.begin(), kStoredSettings.end(),
                          [&](const StoredSetting& entry) { return entry.name == c.name; });
        FakeSettings fresh;
        EXPECT_EQ(storedText(fresh.settings.load().settings, stored.key),
                  std::to_string(stored.fallback));
        fresh.store(c.name, c.user);
        EXPECT_EQ(storedText(fresh.settings.load().settings, stored.key), c.user);
        fresh.administer(c.name, c.policy);
        const LoadedSettings withPolicy = fresh.settings.load();
        EXPECT_EQ(storedText(withPolicy.settings, stored.key), c.policy);
        EXPECT_TRUE(withPolicy.policies.manages(stored.key));
        EXPECT_EQ(fresh.logText(), "") << "a usable policy is not reported";
    }
    FakeSettings unmanaged;
    unmanaged.administer("Run", "1");
    EXPECT_FALSE(unmanaged.settings.load().settings.startWithSession)
        << "starting with the session stays the user's";
}

// Storing the settings leaves the user's own value of every setting a policy sets as it
// was, and the run still goes by the policy.
TEST_F(PoliciesTest, StoringKeepsTheUsersOwnValueWhereAPolicySetsIt) {
    store.store("Interval", "5");
    store.store("Remove", "keep");
    store.administer("Interval", "24");
    store.administer("Remove", "1");
    store.administer("CachePackages", "1");

    store.settings.save({.autoUpdate = true, .intervalHours = 50, .log = true});

    EXPECT_EQ(store.stored("Interval"), "5");
    EXPECT_EQ(store.stored("Remove"), "keep");
    EXPECT_EQ(store.stored("Auto"), "1");
    EXPECT_EQ(store.stored("Log"), "1");
    const LoadedSettings applied = store.settings.load();
    EXPECT_EQ(applied.settings.intervalHours, 24);
    const RunRequest request =
        runRequestFor(applied.settings, Settings{}, applied.policies, "", false);
    EXPECT_TRUE(request.keepPackages) << "the window's copy counts only where no policy is set";
    EXPECT_TRUE(request.cachePackages);
    EXPECT_TRUE(request.writeToLog);
}

// A value that is no string, no number in the setting's range or no usable choice leaves
// the user's setting in place, with one line in the log whatever the logging option, and
// no message box.
TEST_F(PoliciesTest, AnUnusablePolicyValueIsIgnoredWithOneLogLine) {
    store.store("Interval", "7");
    store.store("Auto", "1");
    const std::vector<std::pair<std::string, RegistryValue>> unusable{
        {"Interval", {kRegSz, std::string("150\0", 4)}},
        {"Auto", {kRegSz, std::string("2\0", 2)}},
        {"IUP", {kRegSz, std::string("x86\0", 4)}},
        {"Log", {kRegDword, std::string("\1\0\0\0", 4)}},
        {"Remove", {kRegBinary, std::string("1")}},
        {"CachePackages", {kRegSz, std::string("yes\0", 4)}},
        {"PackagePublisher", {kRegSz, std::string("\0", 1)}},
    };
    for (const auto& [name, value] : unusable) {
        store.policyStore.setValue(RootKey::LocalMachine, policyKeyPath(), name, value);
    }
    store.policies = readPolicies(store.policyStore, store.log);
    EXPECT_EQ(lineCount(store.logText()), unusable.size()) << store.logText();
    EXPECT_NE(store.logText().find("管理者のポリシー Interval(150)"), std::string::npos);
    EXPECT_TRUE(store.policies.managed.empty());
    EXPECT_EQ(loaded(), (Settings{.autoUpdate = true, .intervalHours = 7}));
    EXPECT_FALSE(store.policies.cachePackages);
    EXPECT_EQ(store.policies.packagePublisher, "");
    EXPECT_TRUE(store.notifier.notices.empty());

    // A store that cannot be read at all is one line, however many values it would hold.
    const std::size_t before = lineCount(store.logText());
    store.policyStore.unreadable = true;
    EXPECT_TRUE(readPolicies(store.policyStore, store.log).managed.empty());
    EXPECT_EQ(lineCount(store.logText()), before + 1);
}

// A mirror URL an administrator gave takes the vendor's place for the list and the packages
// alike; one that cannot be used is logged once and the vendor's server is used.
TEST_F(PoliciesTest, AnUnusableMirrorUrlLeavesTheVendorsServer) {
    const std::vector<std::string> unusable{
        "",
        "ftp://mirror.example.local/defs/",
        "file:///srv/defs/",
        "http://",
        "https:///defs/",
        "http://user@:8080/defs/",
        "http://mirror.example.local/" + std::string(10240, 'a'),
        "http://mirror.example.local/velmora defs/",
        "http://mirror.example.local/\tdefs/",
        "http://mirror.example.local/defs/\x1b[2J",
        "http://mirror.example.local/defs/?list="};
    for (const std::string& url : unusable) {
        SCOPED_TRACE(url.substr(0, 60));
        FakeSettings fresh;
        fresh.administer("UpdateUrl", url);
        EXPECT_EQ(updateSourceFor(fresh.policies).baseUrl, vendorSource().baseUrl);
        EXPECT_EQ(lineCount(fresh.logText()), 1u) << fresh.logText();
        EXPECT_LT(fresh.logText().size(), 1024u) << "a long URL is cut in the log";
        EXPECT_EQ(fresh.logText().find('\x1b'), std::string::npos);
    }
    for (const auto& [url, base] : std::vector<std::pair<std::string, std::string>>{
             {"http://mirror.example.local/velmora", "http://mirror.example.local/velmora/"},
             {"HTTPS://mirror.example.local:8443/", "HTTPS://mirror.example.local:8443/"}}) {
        FakeSettings fresh;
        fresh.administer("UpdateUrl", url);
        const UpdateSource source = updateSourceFor(fresh.policies);
        EXPECT_EQ(source.hashListUrl(), base + "md5-hash.txt");
        EXPECT_EQ(source.packageBaseUrl(), base + "packages/");
        EXPECT_EQ(fresh.logText(), "");
    }
}

}  // namespace
}  // namespace velmora::test
