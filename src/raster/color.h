#pragma once

#include <cstdint>

namespace pimoko {

// A colour value 0x00BBGGRR: red in the low byte, the top byte always zero.
// Pixels compare by exact equality of this value.
using Color = std::uint32_t;

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

constexpr Color rgb(int r, int g, int b)
{
    return Color(r & 0xFF) | (Color(g & 0xFF) << 8) | (Color(b & 0xFF) << 16);
}
constexpr int redOf(Color c) { return int(c & 0xFF); }
constexpr int greenOf(Color c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(Color c) { return int((c >> 16) & 0xFF); }

// Every component inverted: the text colour that stands out on c.
constexpr Color inverted(Color c) { return (c ^ 0xFFFFFF) & 0xFFFFFF; }

// How a pen stroke combines its colour K with the pixel P already there.
enum class RasterOp {
    Copy,    // P := K
    NotXor,  // P := (P xor K) xor 0xFFFFFF; applying it twice restores P
};

constexpr Color combine(Color pixel, Color pen, RasterOp op)
{
    return op == RasterOp::Copy ? pen : ((pixel ^ pen) ^ 0xFFFFFF) & 0xFFFFFF;
}

} // namespace pimoko
