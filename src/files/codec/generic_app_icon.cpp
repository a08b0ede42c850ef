#include "files/codec/generic_app_icon.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace pimoko {

namespace {

// One character per pixel, top row first:
//   '.' transparent   'K' black        'B' title-bar blue   'W' white
//   'G' light grey    'D' dark grey (the window's shadow)
constexpr std::array<std::string_view, 32> kArt{
    "................................",
    "................................",
    "................................",
    "................................",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKK...",
    "..KBBBBBBBBBBBBBBBBBBBBBBBBBKD..",
    "..KBWWWWWWWWWBBBBBBBGGBGGBGGKD..",
    "..KBBBBBBBBBBBBBBBBBGGBGGBGGKD..",
    "..KBBBBBBBBBBBBBBBBBBBBBBBBBKD..",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKD..",
    "..KGGGGGGGGGGGGGGGGGGGGGGGGGKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWKD..",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKD..",
    "...DDDDDDDDDDDDDDDDDDDDDDDDDDD..",
    "................................",
    "................................",
    "................................",
    "................................",
};

static_assert(std::all_of(kArt.begin(), kArt.end(), [](std::string_view row) { return row.size() == 32; }));

Color colorOf(char c)
{
    switch (c) {
    case 'K': return kBlack;
    case 'B': return rgb(0x00, 0x00, 0x80);
    case 'G': return rgb(0xC0, 0xC0, 0xC0);
    case 'D': return rgb(0x80, 0x80, 0x80);
    default: return kWhite;  // 'W' and the transparent '.', which shows the white canvas
    }
}

} // namespace

PixelBuffer genericAppIconPicture()
{
    PixelBuffer picture(32, 32, kWhite);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            picture.setPixel(x, y, colorOf(kArt[std::size_t(y)][std::size_t(x)]));
    return picture;
}

} // namespace pimoko
