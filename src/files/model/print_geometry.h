#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <vector>

namespace pimoko {

// How many printer dots one screen pixel becomes along each axis: the
// printer's dots per inch on that axis divided by the screen's logical
// vertical dots per inch, truncated. A printer coarser than the screen gives
// 0, and so does a screen resolution of 0 or less.
struct PrintFactors {
    int horizontal = 0;
    int vertical = 0;

    bool operator==(const PrintFactors&) const = default;
};
PrintFactors printFactors(int printerDpiX, int printerDpiY, int screenDpiY);

// One image pixel on the page: a filled rectangle in printer dots, relative
// to the top-left corner of the printable area.
struct PrintBlock {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    Color color = kWhite;

    bool operator==(const PrintBlock&) const = default;
};

// Printer dots per image pixel: the magnified view's 6 pixels per image
// pixel, times the factor of the axis.
constexpr int printBlockWidth(PrintFactors factors) { return 6 * factors.horizontal; }
constexpr int printBlockHeight(PrintFactors factors) { return 6 * factors.vertical; }

// The page as filled rectangles, one per image pixel, row by row: pixel
// (x, y) covers the block at (x * block width, y * block height) in its own
// colour, so the print is the magnified view's size times the factors, at
// the top left of the printable area, with no grid. Empty when a factor is
// 0: the page stays blank.
std::vector<PrintBlock> printBlocks(const PixelBuffer& image, PrintFactors factors);

} // namespace pimoko
