#include <gtest/gtest.h>

#include "linux/DesktopAutostart.h"
#include "linux/DesktopEntry.h"
#include "linux/PosixRegistryBackend.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace velmora::test {
namespace {

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

class DesktopAutostartTest : public ::testing::Test {
  protected:
    std::string entryCommand(const std::string& fileName) {
        const std::filesystem::path entry = folder / fileName;
        if (!std::filesystem::exists(entry)) {
            return "";
        }
        return desktopEntryCommand(readFile(entry)).value_or("(no Exec)");
    }
    std::size_t filesInFolder() {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                      std::filesystem::directory_iterator()));
    }

    TempDir dir;
    std::filesystem::path folder = dir / "config" / "autostart";
    DesktopAutostart autostart{folder};
};

TEST_F(DesktopAutostartTest, AnEntryIsWrittenReplacedAndRemoved) {
    ASSERT_EQ(autostart.enable("velmora", "/opt/My Apps/velmora"), AutostartResult::Done);
    EXPECT_EQ(readFile(folder / "velmora.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Velmora\n"
              "Exec=\"/opt/My Apps/velmora\"\n"
              "X-GNOME-Autostart-enabled=true\n");

    ASSERT_EQ(autostart.enable("Velmora", "/usr/bin/velmora"), AutostartResult::Done);
    EXPECT_EQ(entryCommand("velmora.desktop"), "/usr/bin/velmora");
    EXPECT_EQ(filesInFolder(), 1u)
        << "the entry is replaced, not doubled, and no temporary file is left";

    EXPECT_EQ(autostart.disable("VELMORA"), AutostartResult::Done);
    EXPECT_FALSE(std::filesystem::exists(folder / "velmora.desktop"));
    EXPECT_EQ(autostart.disable("velmora"), AutostartResult::NotFound);
}

TEST_F(DesktopAutostartTest, DisablingCreatesTheFolder) {
    EXPECT_EQ(autostart.disable("velmora"), AutostartResult::NotFound);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(DesktopAutostartTest, AnEntryOfTheSameNameIsReplacedWhateverItsCase) {
    writeFile(folder / "Tool.desktop", "[Desktop Entry]\nExec=tool --tray\nName=Tool\n");
    writeFile(folder / "notes.txt", "[Desktop Entry]\nExec=nothing\n");
    ASSERT_EQ(autostart.enable("TOOL", "/opt/tool"), AutostartResult::Done);
    EXPECT_FALSE(std::filesystem::exists(folder / "TOOL.desktop"));
    EXPECT_EQ(entryCommand("Tool.desktop"), "/opt/tool");
    EXPECT_EQ(autostart.disable("notes"), AutostartResult::NotFound);
    EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
}

TEST_F(DesktopAutostartTest, WhatAnEntryCannotHoldIsRefused) {
    EXPECT_EQ(autostart.enable("../escape", "/x"), AutostartResult::Invalid);
    EXPECT_EQ(autostart.enable("", "/x"), AutostartResult::Invalid);
    EXPECT_EQ(autostart.enable("nul", std::string("/x\0y", 4)), AutostartResult::Invalid);
    EXPECT_EQ(autostart.disable("../escape"), AutostartResult::NotFound);
    EXPECT_FALSE(std::filesystem::exists(dir / "config/escape.desktop"));
    EXPECT_FALSE(std::filesystem::exists(folder / "nul.desktop"));
}

TEST_F(DesktopAutostartTest, AFolderTheUserMayOnlyReadRefusesChanges) {
    ASSERT_EQ(autostart.enable("velmora", "/opt/velmora"), AutostartResult::Done);
    openToEveryone(dir.path());
    std::filesystem::permissions(folder, std::filesystem::perms(0555));
    std::filesystem::permissions(folder / "velmora.desktop", std::filesystem::perms(0444));

    const int status = runUnprivileged([&] {
        if (autostart.enable("velmora", "/elsewhere") != AutostartResult::Refused) {
            return 10;
        }
        return autostart.disable("velmora") == AutostartResult::Refused ? 0 : 11;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(entryCommand("velmora.desktop"), "/opt/velmora");
}

TEST(PosixRegistryRunKey, IsAnOrdinaryMachineKey) {
    TempDir dir;
    PosixRegistryBackend backend{dir / "config"};
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_EQ(backend.setValue(RootKey::LocalMachine, run, "x", {kRegSz, std::string("1\0", 2)}),
              RegStatus::Success);
    EXPECT_FALSE(std::filesystem::exists(dir / "config" / "autostart"));
    EXPECT_TRUE(std::filesystem::exists(dir / "config/velmora/registry/HKEY_LOCAL_MACHINE.reg"));
}

}  // namespace
}  // namespace velmora::test
