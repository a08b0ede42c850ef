#pragma once

#include "editor/model/document.h"
#include "editor/model/start_values.h"
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

    // What the views show around the document; not part of it.
    struct Settings {
        Color BackPanelColor = StartValues::BackPanelColor;
        // Whether the AND, OR and result previews are shown.
        bool maskPanelVisible = true;
    };
    Settings settings;
    Color AndMaskFillColor = kWhite;

    Document& document() { return document_; }
    const Document& document() const { return document_; }
    int ImageWidth() const { return document_.ImageWidth(); }
    int ImageHeight() const { return document_.ImageHeight(); }
    // The document itself, at actual size.
    const PixelBuffer& Im2() const { return document_.image(); }

    PixelBuffer Im1;  // magnified editing view, CellSize times the document
    PixelBuffer Im3;  // AND preview: white where transparent, black elsewhere
    PixelBuffer Im4;  // OR preview: the colours, black where transparent
    PixelBuffer Im5;  // result preview: transparent pixels in BackPanelColor

    // Gives the document a blank true-colour image of the new size; the
    // views follow at the next ResetCanvas.
    void setImageSize(int width, int height);

    Color transparentColor() const { return document_.transparentColor(); }

    // None of the rebuilds below touches the modified flag: the commands
    // that change, open or save the document say so themselves.

    // A blank canvas of the document's size in BackColor with the grid
    // drawn in GridColor; discards the document's pixels.
    void ResetCanvas(Color GridColor, Color BackColor);
    // Takes `picture` as the document, at its own size and format, and
    // rebuilds every view around it as RefreshAfterEdit does.
    void adoptPicture(PixelBuffer picture);
    // Rebuilds every view from the document as it is: the magnified view at
    // its size with a black grid and every cell painted, and the previews,
    // which are kept up to date also while they are hidden.
    void RefreshAfterEdit();
    // Paints every cell of the magnified view from the document; the grid
    // lines are left as they are.
    void RepaintEditView();
    // Rebuilds the AND, OR and result previews from the document.
    void UpdateMaskPreviews();

    // Fills the magnified-view cell of document pixel (x, y).
    void paintEditCell(int x, int y, Color c);

    // The text of the size box for the current canvas, e.g. " 32 x 32".
    std::string sizeText() const;

private:
    // The views rebuilt around the document, the grid in GridColor.
    void rebuildViews(Color GridColor);

    Document document_;
};

} // namespace pimoko
