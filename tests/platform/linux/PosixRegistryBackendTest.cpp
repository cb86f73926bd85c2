#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <set>
#include <thread>

#include "ChildProcess.h"
#include "RegistryContract.h"
#include "linux/PosixRegistryBackend.h"
#include "linux/RegDocument.h"
#include "linux/XdgDirectories.h"
#include "settings/RegistrySettings.h"
#include "support/FixedClock.h"
#include "support/ScopedEnv.h"
#include "support/Unprivileged.h"
#include "support/fakes/FakeAutostart.h"

namespace velmora::test {

INSTANTIATE_TEST_SUITE_P(PosixFiles, RegistryContract,
                         ::testing::Values(RegistryBackendMaker{
                             "PosixFiles",
                             [](const std::filesystem::path& scratch) {
                                 return std::make_unique<PosixRegistryBackend>(scratch);
                             },
                             /*foldsOnlyAsciiCase=*/true, /*holdsOnlyText=*/true}));

namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;
const std::string kPath = "Software\\Tessaloy\\Velmora";

class PosixRegistryTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::filesystem::path config = dir / "config";
    std::filesystem::path folder = config / "velmora" / "registry";
    std::filesystem::path userFile = folder / "HKEY_CURRENT_USER.reg";
    std::filesystem::path logFile = dir / "log" / "velmora.log";
    RecordingNotifier notifier;
    EventLog log{{logFile, {}}, notifier, test::fixedTime};
    PosixRegistryBackend backend{config};
    Reg reg{backend, log};

    void SetUp() override { std::filesystem::create_directories(logFile.parent_path()); }

    std::set<std::string> filesInFolder(const std::string& containing) const {
        std::set<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            const std::string name = item.path().filename().string();
            if (name.find(containing) != std::string::npos) {
                names.insert(name);
            }
        }
        return names;
    }
};

TEST_F(PosixRegistryTest, KeepsEachRootInItsFileUnderXdgConfigHome) {
    const ScopedEnv home("XDG_CONFIG_HOME", (dir / "xdg").string());
    PosixRegistryBackend fromEnvironment(xdgConfigHome());
    Reg viaEnvironment(fromEnvironment, log);
    ASSERT_TRUE(viaEnvironment.writeValue(kUser, kPath, "IUP", "1"));
    ASSERT_TRUE(viaEnvironment.writeValue(kMachine, "SOFTWARE\\Other", "x", "2"));
    EXPECT_NE(readFile(dir / "xdg/velmora/registry/HKEY_CURRENT_USER.reg").find("\"IUP\"=\"1\""),
              std::string::npos);
    EXPECT_NE(readFile(dir / "xdg/velmora/registry/HKEY_LOCAL_MACHINE.reg").find("\"x\"=\"2\""),
              std::string::npos);
}

TEST_F(PosixRegistryTest, WritesTheExportLayoutWithLfLineEnds) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "IUP", "1"));
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Path", "C:\\x \"q\""));
    ASSERT_TRUE(reg.writeValue(kUser, "Other", "Name", "定義"));
    EXPECT_EQ(readFile(userFile),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n"
              "\"IUP\"=\"1\"\n"
              "\"Path\"=\"C:\\\\x \\\"q\\\"\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Other]\n"
              "\"Name\"=\"定義\"\n");
    struct stat status {};
    ASSERT_EQ(::stat(userFile.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(PosixRegistryTest, ReadsHandWrittenFilesAndWritesBackWhatItDidNotChange) {
    writeFile(userFile,
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
              "; written by hand\r\n"
              "\r\n"
              "[hkey_current_user\\Software\\Tessaloy\\Velmora]\r\n"
              "@=\"unnamed\"\r\n"
              "\"Log\"=DWORD:0000000A\r\n"
              "\"Path\"=hex(2):25,00,50,00,\\\r\n"
              "  41,00,00,00\r\n"
              "\"IUP\" = \"1\"   \r\n"
              "; about Bin\r\n"
              "\"Bin\"=hex:\r\n");
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "1");
    EXPECT_EQ(reg.readValue(kUser, kPath, ""), "unnamed");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Log"), "");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Path"), "");
    RegistryValue kept;
    EXPECT_EQ(backend.queryValue(kUser, kPath, "Log", kept), RegStatus::NotFound)
        << "numbers and binary data are lines kept as they stand";

    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Interval", "3"));
    EXPECT_EQ(readFile(userFile),
              "Windows Registry Editor Version 5.00\n"
              "; written by hand\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n"
              "@=\"unnamed\"\n"
              "\"Log\"=DWORD:0000000A\n"
              "\"Path\"=hex(2):25,00,50,00,\\\n"
              "  41,00,00,00\n"
              "\"IUP\"=\"1\"\n"
              "; about Bin\n"
              "\"Bin\"=hex:\n"
              "\"Interval\"=\"3\"\n");
}

TEST_F(PosixRegistryTest, SettingsWrittenByTheLastReleaseLoadUnchanged) {
    // As version 0.9.48 left it: its own values, and a text with a line break it wrote in
    // hex form.
    const std::string written =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n"
        "\"IUP\"=\"1\"\n"
        "\"Auto\"=\"1\"\n"
        "\"Interval\"=\"12\"\n"
        "\"Run\"=\"0\"\n"
        "\"Log\"=\"1\"\n"
        "\"Remove\"=\"1\"\n"
        "\"Note\"=hex(1):61,0a,62,00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora\\Window]\n"
        "\"Left\"=\"10\"\n";
    writeFile(userFile, written);
    FakeAutostart autostart;
    RegistrySettings settings{reg, autostart, startupEntryFor("/opt/velmora", "velmora")};

    const LoadedSettings loaded = settings.load();
    EXPECT_EQ(loaded.settings, (Settings{.flavour = Flavour::X86,
                                         .autoUpdate = true,
                                         .intervalHours = 12,
                                         .log = true,
                                         .keepPackages = true,
                                         .startWithSession = false}));
    EXPECT_TRUE(loaded.unreadableStore.empty());

    Settings changed = loaded.settings;
    changed.intervalHours = 3;
    settings.save(changed);
    std::string expected = written;
    expected.replace(expected.find("\"12\""), 4, "\"3\"");
    EXPECT_EQ(readFile(userFile), expected) << "every other line as it was, byte for byte";
}

TEST_F(PosixRegistryTest, RewriteKeepsTheFileModeAndALinkToTheFile) {
    const std::filesystem::path kept = dir / "dotfiles" / "user.reg";
    writeFile(kept, "Windows Registry Editor Version 5.00\n");
    std::filesystem::permissions(kept, std::filesystem::perms(0640));
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(kept, userFile);
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "IUP", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(userFile));
    EXPECT_NE(readFile(kept).find("\"IUP\"=\"1\""), std::string::npos);
    EXPECT_EQ(std::filesystem::status(kept).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "1");
}

TEST_F(PosixRegistryTest, NewKeysAndValuesKeepTheCaseFirstWritten) {
    ASSERT_TRUE(reg.writeValue(kUser, "Software\\Tessaloy", "Interval", "1"));
    ASSERT_TRUE(reg.writeValue(kUser, "SOFTWARE\\TESSALOY\\Velmora", "INTERVAL", "2"));
    ASSERT_TRUE(reg.writeValue(kUser, "software\\tessaloy", "INTERVAL", "3"));
    const std::string text = readFile(userFile);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n\"INTERVAL\"=\"2\""),
              std::string::npos);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Tessaloy]\n\"Interval\"=\"3\""),
              std::string::npos);
    EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
}

TEST_F(PosixRegistryTest, UnparseableFileIsMovedAsideBeforeAnythingIsWritten) {
    const std::string damaged[] = {
        "not a registry file\n",
        "[HKEY_LOCAL_MACHINE\\X]\n\"a\"=\"b\"\n",
        "\"a\"=\"b\"\n[HKEY_CURRENT_USER\\X]\n",
        "[HKEY_CURRENT_USER\\X]\n\"a\"=\"open\n",
        "[HKEY_CURRENT_USER\\X]\n\"a\"=\"bad \\escape\"\n",
        "[HKEY_CURRENT_USER\\X]\n\"a\"=dword:123456789\n",
        "[HKEY_CURRENT_USER\\X]\n\"a\"=hex:0g\n",
        "[HKEY_CURRENT_USER\\X]\n\"a\"=hex(1):61,\\\n",
        "[HKEY_CURRENT_USER\\X]\n\"a\"=-\n",
        "[-HKEY_CURRENT_USER\\X]\n",
        std::string("\xFF\xFE[\0H\0", 6),
    };
    for (const auto& text : damaged) {
        SCOPED_TRACE(text);
        writeFile(userFile, text);
        const auto before = filesInFolder(".corrupt-");
        EXPECT_EQ(reg.readValue(kUser, "X", "a"), "");
        EXPECT_EQ(readFile(userFile), text) << "a read must not change the file";
        ASSERT_TRUE(reg.writeValue(kUser, kPath, "IUP", "1"));
        const auto after = filesInFolder(".corrupt-");
        ASSERT_EQ(after.size(), before.size() + 1);
        for (const auto& name : after) {
            if (!before.contains(name)) {
                EXPECT_EQ(readFile(folder / name), text);
            }
        }
        EXPECT_EQ(readFile(userFile),
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n\"IUP\"=\"1\"\n");
    }
    EXPECT_TRUE(notifier.notices.empty());
}

// A NUL, bytes that are not UTF-8 or a hand edit gone wrong damage only their own line,
// which is written back byte for byte; a damaged key line keeps the lines under it.
TEST_F(PosixRegistryTest, ALineThatCannotBeReadHidesOnlyItselfAndIsKeptInItsPlace) {
    using namespace std::string_literals;
    writeFile(userFile,
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "stray words\r\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\r\n"
              "\"IUP\"=\"1\"\r\n"
              "\"IUP\"=\"0\xFF\"\r\n"
              "  \"Log\"=1\r\n"
              "\"Interval\"=\"24\"\r\n"
              "\"Remove\"=\"1\0\"\r\n"
              "\0\xFE junk\r\n"
              "\"Bin\"=hex:0g,\\\r\n"
              "  01\r\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora\xE9]\r\n"
              "\"Interval\"=\"5\"\r\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora\r\n"
              "\"Auto\"=\"1\"\r\n"s);
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "1");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Interval"), "24");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Log"), "");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Remove"), "");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Auto"), "")
        << "a value under a key line that cannot be read belongs to no key";

    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Remove", "1"));
    EXPECT_EQ(readFile(userFile),
              "Windows Registry Editor Version 5.00\n"
              "stray words\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n"
              "\"IUP\"=\"1\"\n"
              "\"IUP\"=\"0\xFF\"\n"
              "  \"Log\"=1\n"
              "\"Interval\"=\"24\"\n"
              "\"Remove\"=\"1\0\"\n"
              "\0\xFE junk\n"
              "\"Bin\"=hex:0g,\\\n"
              "  01\n"
              "\"Remove\"=\"1\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora\xE9]\n"
              "\"Interval\"=\"5\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora\n"
              "\"Auto\"=\"1\"\n"s);
    EXPECT_EQ(reg.readValue(kUser, kPath, "Interval"), "24");
    EXPECT_TRUE(filesInFolder(".corrupt-").empty());
    EXPECT_FALSE(std::filesystem::exists(logFile)) << "damage to one line is not reported";
}

TEST_F(PosixRegistryTest, AFileThatCannotBeReadAtAllIsReportedOnceAndKeptAside) {
    const std::string report =
        "設定ファイル(" + userFile.string() + ")を読み込めません. 既定の設定を使います.";
    const std::string unreadable[] = {
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        std::string("Windows Registry Editor Version 5.00\0\n[HKEY_CURRENT_USER\\X]\n", 60),
        "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n\"IUP\"=\"1\"\n",
    };
    for (const auto& text : unreadable) {
        SCOPED_TRACE(text);
        std::filesystem::remove(logFile);
        notifier.notices.clear();
        writeFile(userFile, text);
        Reg freshReg{backend, log};
        EXPECT_EQ(freshReg.unreadableStoreReport(), "") << "nothing to tell before the file is met";
        for (const char* name : {"IUP", "Log", "IUP"}) {
            EXPECT_EQ(freshReg.readValue(kUser, kPath, name), "");
        }
        const std::string logText = readFile(logFile);
        EXPECT_TRUE(logText.ends_with(" : " + report + "\r\n")) << logText;
        EXPECT_EQ(std::count(logText.begin(), logText.end(), '\n'), 1) << logText;

        EXPECT_EQ(freshReg.unreadableStoreReport(), report);
        EXPECT_TRUE(notifier.notices.empty()) << "the report is logged, not shown";

        const auto before = filesInFolder(".corrupt-");
        ASSERT_TRUE(freshReg.writeValue(kUser, kPath, "IUP", "1"));
        EXPECT_EQ(filesInFolder(".corrupt-").size(), before.size() + 1);
    }
}

TEST_F(PosixRegistryTest, DamagedFilesNeverCrashOrChangeAReader) {
    const std::string good =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\r\n"
        "\"IUP\"=\"1\"\r\n\"Log\"=dword:00000001\r\n\"Path\"=hex(2):25,00,\\\r\n  50,00\r\n"
        "@=\"x\\\\y\\\"z\"\r\n";
    std::vector<std::string> variants;
    for (std::size_t length = 0; length < good.size(); ++length) {
        variants.push_back(good.substr(0, length));
    }
    std::mt19937 random(20261207);
    for (int i = 0; i < 400; ++i) {
        std::string mutated = good;
        mutated[random() % mutated.size()] = static_cast<char>(random() % 256);
        mutated.insert(random() % mutated.size(), 1, static_cast<char>(random() % 256));
        variants.push_back(mutated);
    }
    for (const auto& text : variants) {
        writeFile(userFile, text);
        for (const char* name : {"IUP", "Log", "Path", "", "Missing"}) {
            const std::string value = reg.readValue(kUser, kPath, name);
            EXPECT_LE(value.size(), 255u);
        }
        ASSERT_EQ(readFile(userFile), text);
    }
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(PosixRegistryTest, WhatIsNotARegularFileReadsAsEmpty) {
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo(userFile.c_str(), 0600), 0);
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "") << "a pipe must not block the reader";
    std::filesystem::remove(userFile);
    writeFile(userFile, "Windows Registry Editor Version 5.00\n" + std::string(17 << 20, ';'));
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "");
    EXPECT_TRUE(reg.writeValue(kUser, kPath, "IUP", "1"));
    EXPECT_EQ(filesInFolder(".corrupt-").size(), 1u) << "an oversized file is kept aside";
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "1");
}

TEST_F(PosixRegistryTest, FileReplacedByADirectoryIsTrappedAndReported) {
    std::filesystem::create_directories(userFile);
    EXPECT_FALSE(reg.writeValue(kUser, kPath, "IUP", "1"));
    EXPECT_FALSE(reg.deleteValue(kUser, kPath, "IUP"));
    EXPECT_EQ(notifier.notices, (std::vector<std::string>{"ERROR #21 : Is a directory",
                                                          "ERROR #21 : Is a directory"}));
    const std::string logText = readFile(logFile);
    EXPECT_NE(logText.find(" : ERROR #21 : Is a directory\r\n"), std::string::npos) << logText;
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "");
    EXPECT_EQ(notifier.notices.size(), 2u) << "a read traps and reports nothing";
    EXPECT_TRUE(filesInFolder(".tmp-").empty());
}

// A child whose files may not grow beyond `limit` bytes meets EFBIG, as a full disk would
// meet ENOSPC: the write fails part-way through the temporary file.
TEST_F(PosixRegistryTest, WriteThatRunsOutOfSpaceIsTrappedAndLeavesTheOldFile) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Big", std::string(1000, 'b')));
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Small", "s"));
    const std::string before = readFile(userFile);
    const std::filesystem::path childLog = dir / "child.log";
    ChildProcess child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{512, 512};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 10;
        }
        RecordingNotifier childNotifier;
        EventLog childLogger({childLog, {}}, childNotifier, test::fixedTime);
        Reg childReg(backend, childLogger);
        if (childReg.writeValue(kUser, kPath, "More", "m")) {
            return 11;
        }
        if (childReg.deleteValue(kUser, kPath, "Small")) {
            return 12;
        }
        const std::vector<std::string> expected(2, "ERROR #27 : File too large");
        return childNotifier.notices == expected ? 0 : 13;
    });
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(readFile(userFile), before);
    EXPECT_TRUE(filesInFolder(".tmp-").empty());
    EXPECT_NE(readFile(childLog).find("ERROR #27 : File too large\r\n"), std::string::npos);
}

TEST_F(PosixRegistryTest, PermissionDeniedShapesResultsSilently) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "IUP", "1"));
    ASSERT_TRUE(reg.writeValue(kMachine, kPath, "Shared", "yes"));
    const std::string userBefore = readFile(userFile);
    const std::filesystem::path childLog = dir / "childlog" / "velmora.log";
    std::filesystem::create_directories(childLog.parent_path());
    openToEveryone(dir.path());
    // Everything readable; only the machine file may also be written.
    for (const auto& path : {config, config / "velmora", folder}) {
        std::filesystem::permissions(path, std::filesystem::perms(0555));
    }
    std::filesystem::permissions(userFile, std::filesystem::perms(0444));
    std::filesystem::permissions(folder / "HKEY_LOCAL_MACHINE.reg", std::filesystem::perms(0666));

    const int status = runUnprivileged([&] {
        RecordingNotifier childNotifier;
        EventLog childLogger({childLog, {}}, childNotifier, test::fixedTime);
        Reg childReg(backend, childLogger);
        if (childReg.readValue(kMachine, kPath, "Shared") != "yes") {
            return 10;  // a key the user may change opens
        }
        // Keys are opened for reading and writing: one the user may only read cannot be.
        if (!childReg.readValue(kUser, kPath, "IUP").empty()) {
            return 11;
        }
        if (childReg.writeValue(kUser, kPath, "IUP", "0") ||
            childReg.deleteValue(kUser, kPath, "IUP") ||
            childReg.writeValue(kUser, "New", "x", "1")) {
            return 12;
        }
        if (childReg.writeValue(kMachine, kPath, "Shared", "no")) {
            return 13;  // the folder refuses the replacement file
        }
        if (!childNotifier.notices.empty() || std::filesystem::exists(childLog)) {
            return 15;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(userFile), userBefore);
}

TEST_F(PosixRegistryTest, TwoProcessesWritingAtOnceLoseNoUpdate) {
    constexpr int kWritesEach = 150;
    auto writer = [&](const std::string& prefix) {
        return [&, prefix] {
            Reg own(backend, log);
            for (int i = 0; i < kWritesEach; ++i) {
                if (!own.writeValue(kUser, kPath, prefix + std::to_string(i), std::to_string(i))) {
                    return 1;
                }
            }
            return own.deleteValue(kUser, kPath, prefix + "0") ? 0 : 2;
        };
    };
    ChildProcess first(writer("A"));
    ChildProcess second(writer("B"));
    ASSERT_EQ(first.wait(), 0);
    ASSERT_EQ(second.wait(), 0);
    for (const std::string prefix : {"A", "B"}) {
        EXPECT_EQ(reg.readValue(kUser, kPath, prefix + "0"), "");
        for (int i = 1; i < kWritesEach; ++i) {
            EXPECT_EQ(reg.readValue(kUser, kPath, prefix + std::to_string(i)), std::to_string(i))
                << prefix << i;
        }
    }
    EXPECT_TRUE(filesInFolder(".tmp-").empty());
}

TEST_F(PosixRegistryTest, WriterKilledMidWayLeavesTheOldOrTheNewFile) {
    const std::string padding(250, 'p');
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(reg.writeValue(kUser, kPath, "Keep" + std::to_string(i), padding));
    }
    std::mt19937 random(7);
    int lastCounter = -1;
    for (int round = 0; round < 12; ++round) {
        ChildProcess child([&] {
            for (int counter = lastCounter + 1;; ++counter) {
                reg.writeValue(kUser, kPath, "Counter", std::to_string(counter));
            }
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 25));
        child.kill(SIGKILL);
        EXPECT_EQ(child.wait(), -1);

        ASSERT_TRUE(RegDocument::parse(readFile(userFile), "HKEY_CURRENT_USER").has_value());
        for (int i = 0; i < 60; ++i) {
            ASSERT_EQ(reg.readValue(kUser, kPath, "Keep" + std::to_string(i)), padding);
        }
        const std::string counter = reg.readValue(kUser, kPath, "Counter");
        if (!counter.empty()) {
            EXPECT_GE(std::stoi(counter), lastCounter);
            lastCounter = std::stoi(counter);
        }
    }
    EXPECT_GT(lastCounter, 0) << "the children never got to write";
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "After", "1"));
    EXPECT_TRUE(filesInFolder(".tmp-").empty()) << "leftovers of killed writers are cleared";
}

}  // namespace
}  // namespace velmora::test
