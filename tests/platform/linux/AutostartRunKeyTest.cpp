#include <gtest/gtest.h>

#include "linux/AutostartRunKey.h"
#include "linux/DesktopEntry.h"
#include "linux/PosixRegistryBackend.h"
#include "log/EventLog.h"
#include "settings/Reg.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

namespace velmora::test {
namespace {

constexpr RootKey kMachine = RootKey::LocalMachine;
const std::string kRun = PosixRegistryBackend::kRunKeyPath;

TEST(DesktopEntryExec, QuotesOnlyWhatTheFormatRequires) {
    EXPECT_EQ(quoteExecValue("/usr/bin/velmora"), "/usr/bin/velmora");
    EXPECT_EQ(quoteExecValue("/opt/My Apps/velmora"), "\"/opt/My Apps/velmora\"");
    // A backslash is escaped once for the quotes and once more for the string: four.
    EXPECT_EQ(quoteExecValue("/opt/a\\b"), "\"/opt/a\\\\\\\\b\"");
    EXPECT_EQ(quoteExecValue("/opt/$x`y\"z"), "\"/opt/\\\\$x\\\\`y\\\\\"z\"");
    EXPECT_EQ(quoteExecValue("/opt/100%"), "/opt/100%%");
    EXPECT_EQ(quoteExecValue("/opt/it's"), "\"/opt/it's\"");
    EXPECT_EQ(quoteExecValue("/opt/new\nline"), "\"/opt/new\\nline\"");
    EXPECT_EQ(quoteExecValue(""), "\"\"");
}

TEST(DesktopEntryExec, UnquotingGivesBackEveryProgramPath) {
    const std::string paths[] = {"/usr/bin/velmora",
                                 "/opt/My Apps/velmora",
                                 "/opt/a\\b\\\\c",
                                 "/opt/$HOME/`x`/\"q\"",
                                 "/opt/100%/%%u",
                                 "/opt/tab\tcr\rlf\n",
                                 " leading and trailing ",
                                 "/opt/ウィルス/定義",
                                 "\\s\\n",
                                 "",
                                 "/opt/a;b|c&d<e>f~g*h?i#j(k)l'm"};
    for (const auto& path : paths) {
        EXPECT_EQ(unquoteExecValue(quoteExecValue(path)), path) << quoteExecValue(path);
        EXPECT_EQ(desktopEntryCommand(desktopEntryText(path)), path);
    }
}

TEST(DesktopEntryExec, ForeignEntriesGiveTheirCommandLine) {
    EXPECT_EQ(desktopEntryCommand("[Desktop Entry]\nExec = /usr/bin/tool\n"), "/usr/bin/tool");
    EXPECT_EQ(desktopEntryCommand("[Desktop Entry]\r\nName=T\r\nExec=tool --flag \"a b\" %U\r\n"),
              "tool --flag \"a b\" %U");
    EXPECT_EQ(desktopEntryCommand("[Desktop Entry]\nExec=\"/opt/open quote\n"),
              "\"/opt/open quote");
    EXPECT_EQ(desktopEntryCommand("[Desktop Entry]\nExec[de]=x\nExec=y\n"), "y");
    EXPECT_EQ(desktopEntryCommand("[Desktop Action New]\nExec=x\n"), std::nullopt);
    EXPECT_EQ(desktopEntryCommand("[Other]\nExec=x\n[Desktop Entry]\nName=n\n"), std::nullopt);
    EXPECT_EQ(desktopEntryCommand(""), std::nullopt);
}

class StartUpEntryTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::filesystem::path autostart = dir / "config" / "autostart";
    RecordingNotifier notifier;
    EventLog log{{dir / "velmora.log", {}}, notifier, test::fixedTime};
    PosixRegistryBackend backend{dir / "config"};
    Reg reg{backend, log};
};

TEST_F(StartUpEntryTest, RunValueIsWrittenReadBackUnquotedAndDeleted) {
    ASSERT_TRUE(reg.writeValue(kMachine, kRun, "velmora", "/opt/My Apps/velmora"));
    EXPECT_EQ(readFile(autostart / "velmora.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Velmora\n"
              "Exec=\"/opt/My Apps/velmora\"\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "config/velmora/registry/HKEY_LOCAL_MACHINE.reg"));
    EXPECT_EQ(
        reg.readValue(kMachine, "software\\microsoft\\windows\\currentversion\\RUN", "VELMORA"),
        "/opt/My Apps/velmora");

    ASSERT_TRUE(reg.writeValue(kMachine, kRun, "Velmora", "/usr/bin/velmora"));
    EXPECT_EQ(reg.readValue(kMachine, kRun, "velmora"), "/usr/bin/velmora");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(autostart),
                            std::filesystem::directory_iterator()),
              1)
        << "the entry is replaced, not doubled, and no temporary file is left";

    EXPECT_TRUE(reg.deleteValue(kMachine, kRun, "velmora"));
    EXPECT_FALSE(std::filesystem::exists(autostart / "velmora.desktop"));
    EXPECT_FALSE(reg.deleteValue(kMachine, kRun, "velmora"));
    EXPECT_EQ(reg.readValue(kMachine, kRun, "velmora"), "");
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(StartUpEntryTest, DeleteCreatesTheFolderAsItWouldTheKey) {
    EXPECT_EQ(backend.openKey(kMachine, kRun), RegStatus::NotFound);
    EXPECT_FALSE(reg.deleteValue(kMachine, kRun, "velmora"));
    EXPECT_TRUE(std::filesystem::is_directory(autostart));
    EXPECT_EQ(backend.openKey(kMachine, kRun), RegStatus::Success);
}

TEST_F(StartUpEntryTest, EntriesOfOtherProgramsAreValuesToo) {
    writeFile(autostart / "Tool.desktop", "[Desktop Entry]\nExec=tool --tray\nName=Tool\n");
    writeFile(autostart / "Broken.desktop", "[Desktop Entry]\nName=No command\n");
    writeFile(autostart / "notes.txt", "[Desktop Entry]\nExec=nothing\n");
    EXPECT_EQ(reg.readValue(kMachine, kRun, "tool"), "tool --tray");
    EXPECT_EQ(reg.readValue(kMachine, kRun, "Broken"), "");
    EXPECT_EQ(reg.readValue(kMachine, kRun, "notes"), "");
    ASSERT_TRUE(reg.writeValue(kMachine, kRun, "TOOL", "/opt/tool"));
    EXPECT_FALSE(std::filesystem::exists(autostart / "TOOL.desktop"));
    EXPECT_EQ(desktopEntryCommand(readFile(autostart / "Tool.desktop")), "/opt/tool");
}

TEST_F(StartUpEntryTest, WhatAnEntryCannotHoldIsRefusedQuietly) {
    EXPECT_FALSE(reg.writeValue(kMachine, kRun, "../escape", "/x"));
    EXPECT_FALSE(reg.writeValue(kMachine, kRun, "", "/x"));
    EXPECT_FALSE(reg.writeValue(kMachine, kRun, "nul", std::string("/x\0y", 4)));
    EXPECT_EQ(backend.setValue(kMachine, kRun, "n", {kRegDword, std::string(4, '\0')}),
              RegStatus::InvalidParameter);
    EXPECT_FALSE(std::filesystem::exists(dir / "config/escape.desktop"));
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(StartUpEntryTest, OtherMachineKeysStayInTheMachineFile) {
    ASSERT_TRUE(reg.writeValue(kMachine, kRun + "\\Sub", "x", "1"));
    ASSERT_TRUE(reg.writeValue(kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "y", "2"));
    EXPECT_FALSE(std::filesystem::exists(autostart));
    EXPECT_EQ(reg.readValue(kMachine, kRun + "\\Sub", "x"), "1");
}

}  // namespace
}  // namespace velmora::test
