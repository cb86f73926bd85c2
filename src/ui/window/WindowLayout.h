#pragma once

#include <optional>
#include <vector>

#include "window/WindowControls.h"

namespace velmora {

// One control in a window's layout: its place as designed, and, for a control whose place
// follows its caption (a label, a check box, an option button), the room that caption takes
// in the window's font.
struct LayoutItem {
    TwipsRect design;
    std::optional<PixelSize> caption;
};

// Where each item goes at `dotsPerInch`, in the items' order. Each keeps its designed place,
// except that a caption needing more room than the design gives it grows to the right and
// about its middle rather than being cut off, and a control on the same row after such a
// caption (one that follows its own caption too) moves along to keep the gap the design
// leaves between them. Controls of fixed size (a text box and its arrows) never move.
std::vector<PixelRect> layOut(const std::vector<LayoutItem>& items, int dotsPerInch);

}  // namespace velmora
