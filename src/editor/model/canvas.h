#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"
#include "raster/point.h"

#include <string>

namespace pimoko {

// One document pixel occupies CellSize x CellSize pixels of the magnified
// view: a 5 x 5 block of colour with a grid row above and a grid column to
// its left.
constexpr int CellSize = 6;

// The document pixel under a point of the magnified view. The division
// truncates toward zero, so -5..-1 still fold onto column or row 0.
constexpr Point documentPixelAt(Point viewPoint)
{
    return {divTruncate(viewPoint.x, CellSize), divTruncate(viewPoint.y, CellSize)};
}

// Left or top offset that centres a view of `size` in a frame of `frame`
// pixels; negative when the view is the larger, so the frame clips it.
constexpr int centredOffset(int frame, int size) { return (frame - size) / 2; }

// The image being edited and the five pictures that show it: the magnified
// editing view with its grid, the document at actual size, and the AND, OR
// and result previews of the icon it becomes. Widget-free: the window shows
// these buffers and asks this class to rebuild them.
class Canvas {
public:
    Canvas();

    int ImageWidth = 32;
    int ImageHeight = 32;
    bool ImageModified = false;
    std::string CurrentFileName;
    Color BackPanelColor = 0x008000;
    Color AndMaskFillColor = kWhite;
    // Whether the AND, OR and result previews are shown; they are rebuilt
    // only while they are.
    bool maskPanelVisible = true;

    PixelBuffer Im1;  // magnified editing view, CellSize times the document
    PixelBuffer Im2;  // the document itself, at actual size
    PixelBuffer Im3;  // AND preview: white where transparent, black elsewhere
    PixelBuffer Im4;  // OR preview: the colours, black where transparent
    PixelBuffer Im5;  // result preview: transparent pixels in BackPanelColor

    // The transparent colour: whatever the top-left pixel holds.
    Color transparentColor() const { return Im2.isEmpty() ? kWhite : Im2.pixel(0, 0); }

    // A blank canvas of ImageWidth x ImageHeight in BackColor with the grid
    // drawn in GridColor; discards the document's pixels and clears the
    // modified flag.
    void ResetCanvas(Color GridColor, Color BackColor);
    // Paints every cell of the magnified view from the document; the grid
    // lines are left as they are.
    void RepaintEditView();
    // Keeps the document across a rebuild of the canvas and brings every
    // view up to date; marks the document modified.
    void RefreshAfterEdit();
    // Rebuilds the AND, OR and result previews from the document.
    void UpdateMaskPreviews();

    // Fills the magnified-view cell of document pixel (x, y).
    void paintEditCell(int x, int y, Color c);

    // The text of the size box for the current canvas, e.g. " 32 x 32".
    std::string sizeText() const;

private:
    PixelBuffer spare_;  // storage reused for the copy kept across a rebuild
};

} // namespace pimoko
