#pragma once

namespace pimoko {

// The seven drawing tools, by the codes the program gives them.
enum class ToolCode {
    Line = 10,
    Rectangle = 30,
    Ellipse = 35,
    ColorPicker = 50,
    Fill = 55,
    Pen = 60,
    RoundRectangle = 70,
};

} // namespace pimoko
