#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/fakes/FakeRegistryBackend.h"
#include "win/RunKeyAutostart.h"
#include "win/WinText.h"

namespace velmora::test {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;
const std::string kRun = RunKeyAutostart::kRunKeyPath;

// The in-memory registry, refusing every change under the roots in `refused` as the
// machine's keys refuse an ordinary user.
class RefusingRegistry final : public RegistryBackend {
  public:
    std::set<RootKey> refused;
    FakeRegistryBackend store;

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override {
        return refused.contains(root) ? RegStatus::AccessDenied
                                      : store.queryValue(root, keyPath, valueName, value);
    }
    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override {
        return refused.contains(root) ? RegStatus::AccessDenied
                                      : store.setValue(root, keyPath, valueName, value);
    }
    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override {
        return refused.contains(root) ? RegStatus::AccessDenied
                                      : store.deleteValue(root, keyPath, valueName);
    }

    // The Run entry's data under `root`; "-" when there is none.
    std::string entry(RootKey root, const std::string& name) {
        RegistryValue value;
        if (store.queryValue(root, kRun, name, value) != RegStatus::Success) {
            return "-";
        }
        EXPECT_EQ(value.type, kRegSz);
        return value.data;
    }
};

class RunKeyAutostartTest : public ::testing::Test {
  protected:
    RefusingRegistry registry;
    // Paths that only administrators may change; all of them unless a test says otherwise.
    std::set<std::wstring> unprotected;
    RunKeyAutostart autostart{
        registry, [this](const std::wstring& path) { return !unprotected.contains(path); }};
    const std::string program = "C:\\Program Files\\Velmora\\velmora";
    const std::string commandLine =
        std::string("\"C:\\Program Files\\Velmora\\velmora.exe\"") + '\0';
};

TEST_F(RunKeyAutostartTest, EnableWritesTheQuotedProgramFileToTheMachineKey) {
    EXPECT_EQ(autostart.enable("velmora", program), AutostartResult::Done);
    EXPECT_EQ(registry.entry(kMachine, "velmora"), commandLine);
    EXPECT_EQ(registry.entry(kUser, "velmora"), "-");
}

TEST_F(RunKeyAutostartTest, EnableFallsBackToTheUserKeyWhenTheMachineKeyIsRefused) {
    registry.refused = {kMachine};
    EXPECT_EQ(autostart.enable("velmora", program), AutostartResult::Done);
    registry.refused.clear();
    EXPECT_EQ(registry.entry(kUser, "velmora"), commandLine);
    EXPECT_EQ(registry.entry(kMachine, "velmora"), "-");

    // Enabled again with the rights, the one entry moves to the machine key.
    EXPECT_EQ(autostart.enable("velmora", program + "2"), AutostartResult::Done);
    EXPECT_EQ(registry.entry(kUser, "velmora"), "-");
    EXPECT_EQ(registry.entry(kMachine, "velmora"), "\"" + program + "2.exe\"" + '\0');

    registry.refused = {kMachine, kUser};
    EXPECT_EQ(autostart.enable("velmora", program), AutostartResult::Refused);
}

// A copy that others than administrators can change (unpacked from the zip into the user's
// folders, say) is never started for every user: only for the user who asked.
TEST_F(RunKeyAutostartTest, AProgramOthersCanChangeStartsForItsUserOnly) {
    for (const wchar_t* path :
         {L"C:\\Program Files\\Velmora", L"C:\\Program Files\\Velmora\\velmora.exe"}) {
        SCOPED_TRACE(narrow(path));
        unprotected = {path};
        EXPECT_EQ(autostart.enable("velmora", program), AutostartResult::Done);
        EXPECT_EQ(registry.entry(kMachine, "velmora"), "-");
        EXPECT_EQ(registry.entry(kUser, "velmora"), commandLine);
    }
}

TEST_F(RunKeyAutostartTest, DisableClearsBothKeysAndIsNotFoundOnlyWhenNeitherHadIt) {
    registry.store.setValue(kMachine, kRun, "velmora", {kRegSz, commandLine});
    registry.store.setValue(kUser, kRun, "VELMORA", {kRegSz, commandLine});
    registry.store.setValue(kUser, kRun, "other", {kRegSz, "x"});
    EXPECT_EQ(autostart.disable("velmora"), AutostartResult::Done);
    EXPECT_EQ(registry.entry(kMachine, "velmora"), "-");
    EXPECT_EQ(registry.entry(kUser, "velmora"), "-");
    EXPECT_EQ(registry.entry(kUser, "other"), "x");
    EXPECT_EQ(autostart.disable("velmora"), AutostartResult::NotFound);

    // Without the machine key's rights nobody can tell that it holds no entry.
    registry.refused = {kMachine};
    EXPECT_EQ(autostart.disable("velmora"), AutostartResult::Refused);
    registry.store.setValue(kUser, kRun, "velmora", {kRegSz, commandLine});
    EXPECT_EQ(autostart.disable("velmora"), AutostartResult::Done);
    EXPECT_EQ(registry.entry(kUser, "velmora"), "-");
}

TEST_F(RunKeyAutostartTest, WhatCannotBeACommandLineOrAnEntryIsRefused) {
    EXPECT_EQ(autostart.enable("velmora", "C:\\a\"b"), AutostartResult::Invalid);
    EXPECT_EQ(autostart.enable("velmora", std::string("C:\\a\0b", 6)), AutostartResult::Invalid);
    EXPECT_EQ(autostart.enable("", program), AutostartResult::Invalid);
    EXPECT_EQ(autostart.disable(""), AutostartResult::Invalid);
    EXPECT_EQ(registry.entry(kMachine, "velmora"), "-");
    EXPECT_EQ(registry.entry(kMachine, ""), "-");
}

}  // namespace
}  // namespace velmora::test
