#pragma once

namespace pimoko {

// The codes of the seven drawing tools.
namespace ToolCode {
constexpr int Line = 10;
constexpr int Rectangle = 30;
constexpr int Ellipse = 35;
constexpr int ColorPicker = 50;
constexpr int Fill = 55;
constexpr int Pen = 60;
constexpr int RoundRectangle = 70;
} // namespace ToolCode

} // namespace pimoko
