#include "window/WindowLayout.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace velmora {

namespace {

PixelRect fitCaption(const PixelRect& place, PixelSize needed) {
    const int extraHeight = std::max(0, needed.height - place.height);
    return {place.left, place.top - extraHeight / 2, std::max(place.width, needed.width),
            place.height + extraHeight};
}

int rightOf(const TwipsRect& rect) {
    return rect.left + rect.width;
}

}  // namespace

std::vector<PixelRect> layOut(const std::vector<LayoutItem>& items, int dotsPerInch) {
    std::vector<PixelRect> places;
    places.reserve(items.size());
    for (const LayoutItem& item : items) {
        places.push_back(twipsToPixels(item.design, dotsPerInch));
    }
    // From left to right, so that a row's captions push along one after another.
    std::vector<std::size_t> leftToRight(items.size());
    std::iota(leftToRight.begin(), leftToRight.end(), std::size_t{0});
    std::ranges::stable_sort(leftToRight, {},
                             [&](std::size_t index) { return items[index].design.left; });
    std::vector<std::size_t> placed;
    for (const std::size_t index : leftToRight) {
        const LayoutItem& item = items[index];
        if (!item.caption) {
            continue;
        }
        PixelRect& place = places[index];
        place = fitCaption(place, *item.caption);
        // The nearest caption already placed on this row, to its left.
        const auto before = std::ranges::find_if(placed.rbegin(), placed.rend(), [&](auto other) {
            return items[other].design.top == item.design.top &&
                   items[other].design.left < item.design.left;
        });
        if (before != placed.rend()) {
            const PixelRect& left = places[*before];
            const int gap = twipsToPixels(
                std::max(0, item.design.left - rightOf(items[*before].design)), dotsPerInch);
            place.left = std::max(place.left, left.left + left.width + gap);
        }
        placed.push_back(index);
    }
    return places;
}

}  // namespace velmora
