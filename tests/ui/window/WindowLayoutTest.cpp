#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "window/WindowLayout.h"

namespace velmora {

void PrintTo(const PixelRect& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.width << ", " << rect.height
         << "}";
}

namespace {

constexpr int kDpi = 144;  // one and a half design pixels to the pixel

TEST(WindowLayoutTest, ControlsKeepTheirDesignedPlaceAtTheScreensDensity) {
    const std::vector<LayoutItem> items{
        {.design = {1080, 6000, 1335, 320}, .caption = std::nullopt},
        // A caption that fits keeps its place.
        {.design = {600, 2160, 2265, 180}, .caption = PixelSize{40, 10}},
    };
    EXPECT_EQ(layOut(items, kDpi),
              (std::vector<PixelRect>{{108, 600, 134, 32}, {60, 216, 227, 18}}));
}

TEST(WindowLayoutTest, ACaptionGrowsRightAndAboutItsMiddleAndPushesItsRowAlong) {
    const std::vector<LayoutItem> items{
        // A row: a label, two options after it 30 px apart as designed, and a text box.
        {.design = {3000, 1500, 600, 150}, .caption = PixelSize{100, 20}},
        {.design = {3900, 1500, 600, 150}, .caption = PixelSize{50, 10}},
        {.design = {4800, 1500, 600, 150}, .caption = PixelSize{40, 10}},
        {.design = {3300, 1500, 600, 150}, .caption = std::nullopt},
        // Another row, under the first.
        {.design = {3900, 3000, 600, 150}, .caption = PixelSize{40, 10}},
    };
    const std::vector<PixelRect> places = layOut(items, kTwipsPerInch / kTwipsPerPixel);

    EXPECT_EQ(places[0], (PixelRect{200, 95, 100, 20})) << "10 px more, 5 above and 5 below";
    EXPECT_EQ(places[1], (PixelRect{320, 100, 50, 10})) << "moved along, 20 px after the label";
    EXPECT_EQ(places[2], (PixelRect{390, 100, 40, 10})) << "moved along after the one before";
    EXPECT_EQ(places[3], (PixelRect{220, 100, 40, 10})) << "a fixed control never moves";
    EXPECT_EQ(places[4], (PixelRect{260, 200, 40, 10})) << "nothing on its row grew";
}

}  // namespace
}  // namespace velmora
