#pragma once

#include "raster/color.h"

namespace pimoko {

// What the editor starts with, and what a new image gets.
namespace StartValues {
constexpr Color LeftColor = 0xFF0000;       // blue, drawn by the left button
constexpr Color RightColor = 0x0000FF;      // red, drawn by the right button
constexpr Color BackPanelColor = 0x008000;  // green behind the views
constexpr int ImageSide = 32;               // a new image is 32 x 32
constexpr Color ImageColor = kWhite;
constexpr Color GridColor = kBlack;
} // namespace StartValues

} // namespace pimoko
