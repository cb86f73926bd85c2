// The program's icons at the densities of per-monitor DPI: Wine keeps one density, so a
// change of it comes as the WM_DPICHANGED Windows sends.
// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <gtest/gtest.h>

#include "DisplayTest.h"
#include "winui/WinProgramIcon.h"
#include "winui/WinTrayIcon.h"
#include "winui/WinWindowFont.h"

namespace velmora {
namespace {

class DesktopDensityTest : public ::testing::Test {
  protected:
    void SetUp() override { VELMORA_SKIP_WITHOUT_DISPLAY(); }
};

// The width of an icon's image in pixels; 0 for no icon.
int sideOf(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) {
        return 0;
    }
    BITMAP image{};
    ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(image), &image);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return image.bmWidth;
}

void changeDensity(HWND window, int dotsPerInch, const RECT* suggested) {
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dotsPerInch, dotsPerInch),
                   reinterpret_cast<LPARAM>(suggested));
}

// Whether the notification area holds an icon (id 1) of `window`.
bool trayHoldsIconOf(HWND window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

TEST_F(DesktopDensityTest, EachIconSizeIsLoadedForItselfAndBelongsToItsLoader) {
    // The sizes of small and large icons from 100 % to 300 %, those the resource holds and
    // those scaled down from a larger one, in rising order: a shared load would answer each
    // with the first image it cached.
    for (const int side : {16, 20, 24, 28, 32, 36, 40, 48, 56, 64, 80, 96, 256}) {
        const UniqueIcon icon = loadProgramIcon(side);
        EXPECT_EQ(sideOf(icon.get()), side);
    }

    UniqueIcon first = loadProgramIcon(32);
    const UniqueIcon second = loadProgramIcon(32);
    ASSERT_NE(first.get(), second.get()) << "each load is a copy of its own";
    first.reset();
    EXPECT_EQ(sideOf(second.get()), 32) << "destroying one copy leaves the other";
}

TEST_F(DesktopDensityTest, TheTrayIconIsLoadedAgainAtTheNewDensityOfItsMonitor) {
    WinTrayIcon tray([](TrayMessage) {});
    ASSERT_TRUE(tray.add("Velmora")) << "the virtual desktop has a notification area";
    const int density = windowDotsPerInch(tray.hwnd());
    EXPECT_EQ(sideOf(tray.icon()), smallIconSide(density));

    changeDensity(tray.hwnd(), density * 2, nullptr);
    EXPECT_EQ(sideOf(tray.icon()), smallIconSide(density * 2));
    EXPECT_GT(smallIconSide(density * 2), smallIconSide(density));
    EXPECT_TRUE(trayHoldsIconOf(tray.hwnd())) << "the icon stays in the notification area";

    // A change of the display settings, announced to every top-level window, brings the
    // icon back to the density the window has now.
    ::SendMessageW(tray.hwnd(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(sideOf(tray.icon()), smallIconSide(density));
    changeDensity(tray.hwnd(), 0, nullptr);
    EXPECT_EQ(sideOf(tray.icon()), smallIconSide(density)) << "no density is no change";
    EXPECT_TRUE(trayHoldsIconOf(tray.hwnd()));
}

}  // namespace
}  // namespace velmora
