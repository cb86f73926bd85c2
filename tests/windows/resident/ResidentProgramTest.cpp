// The resident program, velmora.exe, end to end under Wine: started as a user starts it,
// driven through its real windows with the messages the shell and the user's input send.
// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "win/UniqueHandle.h"
#include "win/WinText.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using test::readFile;

// UTF-8 text as the Windows log writes it: in code page 932.
std::string inShiftJis(const std::string& utf8) {
    const std::wstring wide = widen(utf8);
    const int length = ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), length,
                          nullptr, nullptr);
    return bytes;
}
using test::writeFile;

constexpr auto kStartLimit = 20s;
constexpr auto kPollStep = 10ms;
constexpr DWORD kSendLimitMs = 5000;
const wchar_t* const kSettingsKey = L"Software\\Tessaloy\\Velmora";
const wchar_t* const kWindowClass = L"Velmora.Window";
const std::string kHashListUrl = "http://update.corvane.example/defs/download/md5-hash.txt";

bool hasDisplay() {
    return ::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

// Polls `done` until it holds or `limit` has passed; whether it held.
template <typename Condition>
bool waitUntil(std::chrono::milliseconds limit, Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64]{};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

std::optional<std::wstring> storedSetting(const wchar_t* name) {
    wchar_t value[256]{};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

void storeSetting(const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

// Whether the notification area holds the icon (id 1) of `window`: only such an icon can
// be changed.
bool trayHoldsIconOf(HWND window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

// A message sent and handled, with a limit, so that a hung program fails the case rather
// than the whole run.
bool sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendLimitMs,
                                 &result) != 0;
}

// velmora.exe started without a shell, inherited environment, no arguments; ended by force
// when the object goes, if it is still running.
class StartedProgram {
  public:
    explicit StartedProgram(const std::filesystem::path& program) {
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, program.parent_path().c_str(), &startup, &started)) {
            throw std::runtime_error("cannot start " + program.string());
        }
        ::CloseHandle(started.hThread);
        process_ = UniqueHandle(started.hProcess);
        id_ = started.dwProcessId;
    }
    ~StartedProgram() {
        if (!exitCode(0ms)) {
            ::TerminateProcess(process_.get(), 99);
            ::WaitForSingleObject(process_.get(), 5000);
        }
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    // The exit code once it has ended, std::nullopt while it runs after `limit`.
    std::optional<DWORD> exitCode(std::chrono::milliseconds limit) const {
        if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) !=
            WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        ::GetExitCodeProcess(process_.get(), &code);
        return code;
    }

    DWORD id() const { return id_; }

    // The program's top-level windows of its own class with this title.
    std::vector<HWND> windowsTitled(const std::wstring& title) const {
        struct Search {
            DWORD process;
            const std::wstring* title;
            std::vector<HWND> found;
        } search{id_, &title, {}};
        ::EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == s.process && className(window) == kWindowClass &&
                    windowText(window) == *s.title) {
                    s.found.push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The hidden window the tray icon reports to: of the untitled windows, the one whose
    // icon the notification area holds.
    HWND trayWindow() const {
        for (HWND window : windowsTitled(L"")) {
            if (trayHoldsIconOf(window)) {
                return window;
            }
        }
        return nullptr;
    }

  private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// The icon's callback message and the mouse message it reports (WM_APP + 1, as the program
// asked the shell for).
void clickTrayIcon(HWND trayWindow, UINT mouseMessage) {
    ::PostMessageW(trayWindow, WM_APP + 1, 1, mouseMessage);
}

// A shown top-level window of the program of a system class: its pop-up menu (#32768) or a
// message box (#32770); null until one shows.
HWND shownWindowOfClass(DWORD process, const wchar_t* systemClass) {
    struct Search {
        DWORD process;
        const wchar_t* systemClass;
        HWND found;
    } search{process, systemClass, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s.process && className(window) == s.systemClass &&
                ::IsWindowVisible(window)) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool trayMenuShown(DWORD process) {
    return shownWindowOfClass(process, L"#32768") != nullptr;
}

HWND messageBoxOf(DWORD process) {
    return shownWindowOfClass(process, L"#32770");
}

// A private copy of the program in a temporary folder, so that its log file (beside the
// executable) lands there, the definitions folder and the start-up report there too, and
// settings stored afresh.
class ResidentProgramTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path program = dir / "bin" / "velmora.exe";
    std::filesystem::path logFile = dir / "bin" / "velmora.log";
    std::filesystem::path report = dir / "report.txt";
    std::optional<test::ScopedEnv> commonFiles;
    std::optional<test::ScopedEnv> reportFile;
    std::optional<test::ScopedEnv> proxy;

    void SetUp() override {
        if (!hasDisplay()) {
            GTEST_SKIP() << "needs an X display for its windows: run under xvfb-run -a";
        }
        std::filesystem::create_directories(program.parent_path());
        std::filesystem::copy_file(VELMORA_RESIDENT_PROGRAM, program);
        std::filesystem::create_directories(dir / "common" / "Corvane Shared" / "Definitions");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        commonFiles.emplace("VELMORA_COMMON_FILES", (dir / "common").string());
        reportFile.emplace("VELMORA_STARTUP_REPORT", report.string());
        proxy.emplace("http_proxy",
                      "http://127.0.0.1:" + std::to_string(test::closedLoopbackPort()));
    }

    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

    // Started and resident: its start-up is over and its tray icon is up.
    HWND startResident(StartedProgram& resident) {
        EXPECT_TRUE(waitUntil(kStartLimit,
                              [&] {
                                  return std::filesystem::exists(report) ||
                                         resident.exitCode(0ms).has_value();
                              }) &&
                    std::filesystem::exists(report))
            << "no start-up report";
        HWND tray = nullptr;
        EXPECT_TRUE(waitUntil(5s, [&] { return (tray = resident.trayWindow()) != nullptr; }))
            << "no tray icon";
        return tray;
    }

    // The settings window, shown by a double-click on the tray icon.
    static HWND showSettings(StartedProgram& resident, HWND tray) {
        clickTrayIcon(tray, WM_LBUTTONDBLCLK);
        HWND settings = nullptr;
        EXPECT_TRUE(waitUntil(5s, [&] {
            for (HWND window : resident.windowsTitled(L"Velmora")) {
                if (::IsWindowVisible(window)) {
                    settings = window;
                }
            }
            return settings != nullptr;
        })) << "the double-click shows the settings window";
        return settings;
    }

    // Exit from the tray menu, picked with its access key as a user would: the program
    // ends with 0. (Whether it took its icon away cannot be seen here: Wine's notification
    // area drops the icons of a window that is destroyed.)
    static void exitThroughTheMenu(StartedProgram& resident, HWND tray) {
        clickTrayIcon(tray, WM_RBUTTONDOWN);
        ASSERT_TRUE(waitUntil(5s, [&] { return trayMenuShown(resident.id()); })) << "no tray menu";
        ::PostMessageW(tray, WM_CHAR, L'x', 1);
        EXPECT_EQ(resident.exitCode(10s), std::optional<DWORD>(0));
    }
};

TEST_F(ResidentProgramTest, TheStartUpLookUpIsLoggedWithLoggingOffAndASecondStartEndsAtOnce) {
    storeSetting(L"Log", L"0");
    StartedProgram first(program);
    HWND tray = startResident(first);
    ASSERT_NE(tray, nullptr);
    const std::string written = readFile(logFile);
    // One line, dated in the prefix's regional form, in code page 932.
    const std::string expected =
        inShiftJis(" : " + std::string(kHashListUrl) + " をダウンロードできません.\r\n");
    EXPECT_TRUE(written.ends_with(expected)) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1) << written;
    const std::string shown = readFile(report);
    EXPECT_NE(shown.find("lblLatstVDFileName=----/--/-- rev. ---\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("visible=0\ntrayIcon=1\n"), std::string::npos) << shown;

    std::filesystem::remove(report);
    const auto started = std::chrono::steady_clock::now();
    {
        StartedProgram second(program);
        EXPECT_EQ(second.exitCode(10s), std::optional<DWORD>(0));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_FALSE(std::filesystem::exists(report)) << "the second start loaded no window";
    EXPECT_EQ(readFile(logFile), written) << "the second start logs nothing";
    EXPECT_EQ(first.exitCode(0ms), std::nullopt) << "the first one runs on";
    EXPECT_TRUE(trayHoldsIconOf(tray));

    exitThroughTheMenu(first, tray);
    EXPECT_EQ(readFile(logFile), written) << "nothing is logged at exit";
}

TEST_F(ResidentProgramTest, SettingsChangedInTheWindowLandInTheRegistryOnOk) {
    test::LoopbackHttpServer mirror;
    mirror.on("/defs/download/md5-hash.txt",
              test::HttpResponse::ok("fedcba9876543210fedcba9876543210 20041114-017-i32.exe\r\n"));
    proxy.reset();
    proxy.emplace("http_proxy", "http://" + mirror.authority());
    StartedProgram resident(program);
    HWND tray = startResident(resident);
    ASSERT_NE(tray, nullptr);
    EXPECT_NE(readFile(report).find("lblLatstVDFileName=2004/11/14 rev. 17\n"), std::string::npos)
        << readFile(report);

    HWND settings = showSettings(resident, tray);
    ASSERT_NE(settings, nullptr);

    HWND autoUpdate =
        ::FindWindowExW(settings, nullptr, nullptr, L"ウィルス定義ファイルの自動更新を行う(&T)");
    HWND interval = ::FindWindowExW(settings, nullptr, L"Edit", nullptr);
    HWND ok = ::GetDlgItem(settings, IDOK);
    ASSERT_NE(autoUpdate, nullptr);
    ASSERT_NE(interval, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(interval)) << "automatic update is off by default";

    ASSERT_TRUE(sendTo(autoUpdate, BM_CLICK));
    EXPECT_TRUE(::IsWindowEnabled(interval)) << "checking automatic update enables the interval";
    ASSERT_TRUE(sendTo(interval, EM_SETSEL, 0, -1));
    for (const wchar_t typed : std::wstring(L"12")) {
        ASSERT_TRUE(sendTo(interval, WM_CHAR, typed, 1));
    }
    EXPECT_EQ(storedSetting(L"Interval"), std::nullopt) << "nothing is stored before OK";
    ASSERT_TRUE(sendTo(ok, BM_CLICK));

    EXPECT_EQ(storedSetting(L"Auto"), std::optional<std::wstring>(L"1"));
    EXPECT_EQ(storedSetting(L"Interval"), std::optional<std::wstring>(L"12"));
    EXPECT_EQ(storedSetting(L"Log"), std::optional<std::wstring>(L"0"));
    EXPECT_TRUE(waitUntil(5s, [&] { return !::IsWindowVisible(settings); }))
        << "OK hides the window";

    exitThroughTheMenu(resident, tray);
}

// taskkill without /F posts WM_CLOSE to the program's top-level windows, all of them
// hidden: it ends as through its exit item, with 0 and nothing logged.
TEST_F(ResidentProgramTest, TaskkillWithoutForceEndsTheProgramAsItsExitItemDoes) {
    StartedProgram resident(program);
    ASSERT_NE(startResident(resident), nullptr);
    const std::string written = readFile(logFile);

    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(::_wsystem(L"taskkill.exe /IM velmora.exe"), 0);
    EXPECT_EQ(resident.exitCode(5s), std::optional<DWORD>(0));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
    EXPECT_EQ(readFile(logFile), written) << "nothing is logged at exit";
}

TEST_F(ResidentProgramTest, CloseRequestsEndItEvenTwoAtOnceAndTheCloseBoxOnlyHides) {
    {
        StartedProgram resident(program);
        HWND tray = startResident(resident);
        ASSERT_NE(tray, nullptr);
        HWND settings = showSettings(resident, tray);
        ASSERT_NE(settings, nullptr);
        ASSERT_TRUE(sendTo(settings, WM_SYSCOMMAND, SC_CLOSE));
        EXPECT_FALSE(::IsWindowVisible(settings)) << "the close box hides the window";
        EXPECT_EQ(resident.exitCode(500ms), std::nullopt) << "and the program runs on";

        // With the About box open (a loop of its own), one request to the box and a second
        // to a hidden window while the first is handled.
        clickTrayIcon(tray, WM_RBUTTONDOWN);
        ASSERT_TRUE(waitUntil(5s, [&] { return trayMenuShown(resident.id()); })) << "no menu";
        ::PostMessageW(tray, WM_CHAR, L'a', 1);
        std::vector<HWND> about;
        ASSERT_TRUE(waitUntil(5s, [&] {
            about = resident.windowsTitled(L"Velmoraについて");
            return !about.empty() && ::IsWindowVisible(about.front());
        })) << "the About box opens";
        ::PostMessageW(about.front(), WM_CLOSE, 0, 0);
        ::PostMessageW(tray, WM_CLOSE, 0, 0);
        EXPECT_EQ(resident.exitCode(5s), std::optional<DWORD>(0));
    }
    {
        // The Restart Manager, for an installer: asked, the program agrees and runs on;
        // then closed, it ends.
        StartedProgram resident(program);
        ASSERT_NE(startResident(resident), nullptr);
        const std::vector<HWND> windows = resident.windowsTitled(L"");  // the hidden ones
        ASSERT_FALSE(windows.empty());
        for (HWND window : windows) {
            DWORD_PTR agreed = FALSE;
            EXPECT_NE(::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                            SMTO_ABORTIFHUNG, kSendLimitMs, &agreed),
                      0);
            EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
        }
        EXPECT_EQ(resident.exitCode(500ms), std::nullopt);
        for (HWND window : windows) {
            sendTo(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
        }
        EXPECT_EQ(resident.exitCode(5s), std::optional<DWORD>(0));
    }
}

// The update-now button's report comes as a box owned by the settings window while that is
// shown, else by the tray icon's hidden window: never a box with a taskbar button of its own.
// The hash list is refused after a head sent slowly enough to close the window meanwhile.
TEST_F(ResidentProgramTest, ABoxIsOwnedByTheSettingsWindowShownElseByTheTrayWindow) {
    test::LoopbackHttpServer mirror;
    mirror.on("/defs/download/md5-hash.txt", test::HttpResponse::status(404, "").slowHead(30));
    proxy.reset();
    proxy.emplace("http_proxy", "http://" + mirror.authority());
    StartedProgram resident(program);
    HWND tray = startResident(resident);
    ASSERT_NE(tray, nullptr);
    HWND settings = showSettings(resident, tray);
    ASSERT_NE(settings, nullptr);
    HWND updateNow = ::FindWindowExW(settings, nullptr, nullptr, L"今すぐ更新する(&U)");
    ASSERT_NE(updateNow, nullptr);
    const auto answer = [&](HWND box) {
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitUntil(5s, [&] { return !::IsWindow(box); })) << "the box is answered";
    };

    ::PostMessageW(updateNow, BM_CLICK, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil(kStartLimit, [&] { return (box = messageBoxOf(resident.id())); }));
    EXPECT_EQ(::GetWindow(box, GW_OWNER), settings);
    EXPECT_FALSE(::IsWindowEnabled(settings)) << "the window is out of use behind its box";
    answer(box);
    EXPECT_TRUE(::IsWindowEnabled(settings));

    ::PostMessageW(updateNow, BM_CLICK, 0, 0);
    ASSERT_TRUE(sendTo(settings, WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_FALSE(::IsWindowVisible(settings));
    ASSERT_TRUE(waitUntil(kStartLimit, [&] { return (box = messageBoxOf(resident.id())); }));
    EXPECT_EQ(::GetWindow(box, GW_OWNER), tray);
    // The tray goes on working during the box: a right press opens the menu.
    clickTrayIcon(tray, WM_RBUTTONDOWN);
    EXPECT_TRUE(waitUntil(5s, [&] { return trayMenuShown(resident.id()); })) << "no tray menu";
    ::PostMessageW(tray, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(waitUntil(5s, [&] { return !trayMenuShown(resident.id()); }));
    answer(box);

    exitThroughTheMenu(resident, tray);
}

}  // namespace
}  // namespace velmora
