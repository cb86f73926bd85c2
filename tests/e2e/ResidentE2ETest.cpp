#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include "e2e/ResidentProcess.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using test::readFile;
using test::writeFile;

constexpr auto kStartLimit = 20s;
const std::string kHashListUrl = "http://update.corvane.example/defs/download/md5-hash.txt";

std::string settingsFile(const std::string& values) {
    return "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_CURRENT_USER\\Software\\Tessaloy\\Velmora]\n" +
           values;
}

// A private copy of the program in a temporary folder, so that its log file (beside the
// executable) lands there, and a private home for everything it reads and writes.
class ResidentE2ETest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path program = dir / "bin" / "velmora";
    std::filesystem::path logFile = dir / "bin" / "velmora.log";
    std::filesystem::path report = dir / "report";

    void SetUp() override {
        std::filesystem::create_directories(program.parent_path());
        std::filesystem::copy_file(VELMORA_BINARY, program);
        std::filesystem::create_directory(dir / "run");
        ::chmod((dir / "run").c_str(), 0700);
    }

    std::map<std::string, std::optional<std::string>> environment(const std::string& proxy) {
        return {{"HOME", dir.path().string()},
                {"XDG_RUNTIME_DIR", (dir / "run").string()},
                {"XDG_CONFIG_HOME", (dir / "config").string()},
                {"XDG_STATE_HOME", (dir / "state").string()},
                {"VELMORA_COMMON_FILES", (dir / "common").string()},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"http_proxy", proxy},
                {"HTTP_PROXY", std::nullopt},
                {"no_proxy", std::nullopt},
                {"NO_PROXY", std::nullopt},
                {"VELMORA_STARTUP_REPORT", report.string()}};
    }

    std::string refusingProxy() {
        return "http://127.0.0.1:" + std::to_string(test::closedLoopbackPort());
    }

    void storeSettings(const std::string& values) {
        writeFile(dir / "config" / "velmora" / "registry" / "HKEY_CURRENT_USER.reg",
                  settingsFile(values));
    }

    static void endWithSigterm(test::ResidentProcess& resident) {
        resident.sendSignal(SIGTERM);
        EXPECT_EQ(resident.waitForExit(10s), std::optional<int>(0));
    }
};

TEST_F(ResidentE2ETest, UnreachableHashListIsLoggedOnceWhileLoggingIsOff) {
    storeSettings("\"Log\"=\"0\"\n");
    test::ResidentProcess resident(program, environment(refusingProxy()), dir.path());
    ASSERT_TRUE(resident.waitForFile(report, kStartLimit)) << resident.standardError();

    const std::string written = readFile(logFile);
    const std::regex oneLine(R"(\d{4}/\d{1,2}/\d{1,2} \d{1,2}:\d{2}:\d{2} : )" +
                             std::regex_replace(kHashListUrl, std::regex(R"([./])"), R"(\$&)") +
                             " をダウンロードできません\\.\r\n");
    EXPECT_TRUE(std::regex_match(written, oneLine)) << written;
    EXPECT_NE(readFile(report).find("lblLatstVDFileName=----/--/-- rev. ---\n"), std::string::npos);

    endWithSigterm(resident);
    EXPECT_EQ(readFile(logFile), written) << "nothing is logged at exit";
    EXPECT_EQ(resident.standardOutput(), "");
}

TEST_F(ResidentE2ETest, SecondStartEndsAtOnceSilentlyWithStatusZero) {
    test::ResidentProcess first(program, environment(refusingProxy()), dir.path());
    ASSERT_TRUE(first.waitForFile(report, kStartLimit)) << first.standardError();
    const std::string logBefore = readFile(logFile);
    std::filesystem::remove(report);

    const auto secondFolder = dir / "second";
    std::filesystem::create_directory(secondFolder);
    const auto started = std::chrono::steady_clock::now();
    test::ResidentProcess second(program, environment(refusingProxy()), secondFolder);
    EXPECT_EQ(second.waitForExit(5s), std::optional<int>(0));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(second.standardOutput(), "");
    EXPECT_EQ(second.standardError(), "");
    EXPECT_FALSE(std::filesystem::exists(report)) << "the second start loaded no window";
    EXPECT_EQ(readFile(logFile), logBefore) << "the second start logs nothing";

    endWithSigterm(first);

    // With the first one gone, the lock is free again.
    test::ResidentProcess third(program, environment(refusingProxy()), secondFolder);
    EXPECT_TRUE(third.waitForFile(report, kStartLimit)) << third.standardError();
    endWithSigterm(third);
}

TEST_F(ResidentE2ETest, WindowShowsTheNewestListedPackageOfTheStoredFlavour) {
    storeSettings("\"IUP\"=\"1\"\n\"Log\"=\"1\"\n");
    std::filesystem::create_directories(dir / "common" / "Corvane Shared" / "Definitions" /
                                        "20041001.003");
    test::LoopbackHttpServer mirror;
    mirror.on("/defs/download/md5-hash.txt",
              test::HttpResponse::ok("0123456789abcdef0123456789abcdef 20041101-002-x86.exe\r\n"
                                     "fedcba9876543210fedcba9876543210 20041114-017-x86.exe\r\n"
                                     "00112233445566778899aabbccddeeff 20041120-001-i32.exe\r\n"));

    test::ResidentProcess resident(program, environment("http://" + mirror.authority()),
                                   dir.path());
    ASSERT_TRUE(resident.waitForFile(report, kStartLimit)) << resident.standardError();

    EXPECT_EQ(readFile(report),
              "frmVendor=http://update.corvane.example/defs/download/packages/\n"
              "lblVDFileName.Tag=20041001-003\n"
              "lblVDFileName=2004/10/1 rev. 3\n"
              "lblLatstVDFileName.Tag=20041114-017\n"
              "lblLatstVDFileName=2004/11/14 rev. 17\n"
              "visible=0\n"
              "trayIcon=0\n");
    const auto requests = mirror.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, kHashListUrl);
    EXPECT_FALSE(std::filesystem::exists(logFile)) << "a successful look-up logs nothing";

    endWithSigterm(resident);
}

TEST_F(ResidentE2ETest, InterruptAndHangUpEndTheProgramTidilyToo) {
    for (const int signalNumber : {SIGINT, SIGHUP}) {
        std::filesystem::remove(report);
        test::ResidentProcess resident(program, environment(refusingProxy()), dir.path());
        ASSERT_TRUE(resident.waitForFile(report, kStartLimit)) << resident.standardError();
        resident.sendSignal(signalNumber);
        EXPECT_EQ(resident.waitForExit(10s), std::optional<int>(0)) << signalNumber;
    }
}

// The start-up's look-up of the hash list runs while the tray is up: a request to end
// during a list that trickles in ends the program at once, with nothing logged.
TEST_F(ResidentE2ETest, ASignalDuringATricklingStartUpLookUpEndsTheProgramAtOnce) {
    storeSettings("\"Log\"=\"1\"\n");
    test::LoopbackHttpServer mirror;
    mirror.on("/defs/download/md5-hash.txt",
              test::HttpResponse::ok(std::string(100000, ' ')).thenTrickle(10, 2, 1000));
    test::ResidentProcess resident(program, environment("http://" + mirror.authority()),
                                   dir.path());
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (mirror.requests().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_EQ(mirror.requests().size(), 1u) << resident.standardError();
    std::this_thread::sleep_for(300ms);

    resident.sendSignal(SIGTERM);
    EXPECT_EQ(resident.waitForExit(2s), std::optional<int>(0));
    EXPECT_FALSE(std::filesystem::exists(logFile)) << readFile(logFile);
}

}  // namespace
}  // namespace velmora
