#pragma once

#include "raster/color.h"

#include <array>

namespace pimoko {

// The 16 classic colours in their fixed order: the palette's cells and the
// colour table of every icon the program writes. Entries 0 to 7 and 12 to
// 19 of the 20-entry default system palette.
inline constexpr std::array<Color, 16> kStandardColors{
    0x000000, // black
    0x000080, // dark red (maroon)
    0x008000, // dark green
    0x008080, // olive
    0x800000, // navy
    0x800080, // purple
    0x808000, // teal
    0xC0C0C0, // silver
    0x808080, // grey
    0x0000FF, // red
    0x00FF00, // lime
    0x00FFFF, // yellow
    0xFF0000, // blue
    0xFF00FF, // fuchsia
    0xFFFF00, // aqua
    0xFFFFFF, // white
};

} // namespace pimoko
