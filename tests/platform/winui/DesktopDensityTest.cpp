// The program's icons and the About box at the densities of per-monitor DPI: Wine keeps one
// density, so a change of it comes as the WM_DPICHANGED Windows sends.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "DisplayTest.h"
#include "winui/WinAboutBoxWindow.h"
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

// A rectangle as its four edges, which a failed check prints.
std::array<LONG, 4> edges(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

SIZE sizeOf(const RECT& rect) {
    return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT windowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

SIZE clientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return sizeOf(client);
}

LONG fontHeight(HWND window) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font),
                 &font);
    return std::abs(font.lfHeight);
}

void changeDensity(HWND window, int dotsPerInch, const RECT* suggested) {
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dotsPerInch, dotsPerInch),
                   reinterpret_cast<LPARAM>(suggested));
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
    EXPECT_TRUE(test::trayHoldsIconOf(tray.hwnd())) << "the icon stays in the notification area";

    // A change of the display settings, announced to every top-level window, brings the
    // icon back to the density the window has now.
    ::SendMessageW(tray.hwnd(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(sideOf(tray.icon()), smallIconSide(density));
    changeDensity(tray.hwnd(), 0, nullptr);
    EXPECT_EQ(sideOf(tray.icon()), smallIconSide(density)) << "no density is no change";
    EXPECT_TRUE(test::trayHoldsIconOf(tray.hwnd()));
}

TEST_F(DesktopDensityTest, TheAboutBoxIsLaidOutAgainAtTheNewDensityWhereWindowsSuggests) {
    WinAboutBoxWindow box;
    HWND ok = ::GetDlgItem(box.hwnd(), IDOK);
    const int density = windowDotsPerInch(box.hwnd());
    const SIZE client = clientSize(box.hwnd());
    const SIZE button = sizeOf(windowRect(ok));
    const LONG text = fontHeight(ok);

    // Windows suggests the frame twice as large, its corner where it was.
    const RECT frame = windowRect(box.hwnd());
    const RECT suggested{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                         frame.top + 2 * (frame.bottom - frame.top)};
    changeDensity(box.hwnd(), density * 2, &suggested);

    EXPECT_EQ(edges(windowRect(box.hwnd())), edges(suggested)) << "taken as it stands";
    // The client area takes what the suggestion gives beyond the frame Windows draws.
    EXPECT_GE(clientSize(box.hwnd()).cx, 2 * client.cx - 2);
    EXPECT_GE(clientSize(box.hwnd()).cy, 2 * client.cy - 2);
    EXPECT_NEAR(sizeOf(windowRect(ok)).cx, 2 * button.cx, 1);
    EXPECT_NEAR(sizeOf(windowRect(ok)).cy, 2 * button.cy, 1);
    EXPECT_NEAR(fontHeight(ok), 2 * text, 1);

    // Its icons follow: the picture's large one and the title bar's small one.
    HWND picture = ::GetWindow(box.hwnd(), GW_CHILD);
    const auto shown = reinterpret_cast<HICON>(::SendMessageW(picture, STM_GETICON, 0, 0));
    EXPECT_EQ(sideOf(shown), largeIconSide(density * 2));
    const auto titleBar =
        reinterpret_cast<HICON>(::SendMessageW(box.hwnd(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(sideOf(titleBar), smallIconSide(density * 2));

    changeDensity(box.hwnd(), density, &frame);
    EXPECT_EQ(edges(windowRect(box.hwnd())), edges(frame));
    EXPECT_EQ(clientSize(box.hwnd()).cx, client.cx) << "back at the first density";
    EXPECT_EQ(sideOf(reinterpret_cast<HICON>(::SendMessageW(picture, STM_GETICON, 0, 0))),
              largeIconSide(density));
}

TEST_F(DesktopDensityTest, AnOddSuggestionLeavesTheAboutBoxItsSizeOnAScreen) {
    WinAboutBoxWindow box;
    const SIZE laidOut = sizeOf(windowRect(box.hwnd()));
    const int density = windowDotsPerInch(box.hwnd());
    const std::vector<RECT> odd{{0, 0, 0, 0},                      // no area
                                {600, 500, 100, 100},              // negative width and height
                                {-40000, -40000, -39500, -39800},  // far off every screen
                                {0, 0, 100000, 100000},            // no box of this size
                                {1020, 760, 1020 + laidOut.cx, 760 + 3}};  // a sliver
    for (const RECT& suggested : odd) {
        changeDensity(box.hwnd(), density, &suggested);
        const RECT placed = windowRect(box.hwnd());
        EXPECT_EQ(sizeOf(placed).cx, laidOut.cx);
        EXPECT_EQ(sizeOf(placed).cy, laidOut.cy);
        EXPECT_NE(::MonitorFromRect(&placed, MONITOR_DEFAULTTONULL), nullptr)
            << placed.left << "," << placed.top;
    }
    changeDensity(box.hwnd(), 0, nullptr);  // neither density nor rectangle
    EXPECT_EQ(sizeOf(windowRect(box.hwnd())).cx, laidOut.cx);

    // And it still works: Enter closes it.
    ::PostMessageW(::GetDlgItem(box.hwnd(), IDOK), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(box.showModal());
    EXPECT_FALSE(box.visible());
}

}  // namespace
}  // namespace velmora
