#pragma once

#include "editor/model/document.h"
#include "editor/model/start_values.h"
#include "raster/color.h"
#include "raster/pixel_buffer.h"
#include "raster/point.h"

#include <functional>
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
// and result previews of the icon it becomes. Widget-free: it rebuilds the
// pictures on each notice of the document that changes what they show, and
// then passes the notice on to whoever shows them.
class Canvas {
public:
    Canvas();
    Canvas(const Canvas& other);
    Canvas& operator=(const Canvas& other);

    // What the views show around the document; not part of it.
    struct Settings {
        Color BackPanelColor = StartValues::BackPanelColor;
        // Whether the AND, OR and result previews are shown: follows the
        // document, set on each of its notices by showsMaskPreviews.
        bool maskPanelVisible = true;
    };
    Settings settings;
    Color AndMaskFillColor = kWhite;

    // The document's notice, passed on once the pictures are rebuilt.
    std::function<void(Document::Change)> documentChanged;

    Document& document() { return document_; }
    const Document& document() const { return document_; }
    int ImageWidth() const { return document_.ImageWidth(); }
    int ImageHeight() const { return document_.ImageHeight(); }
    // The document itself, at actual size (the window's Im2).
    const PixelBuffer& actualSize() const { return document_.image(); }

    // The magnified editing view (the window's Im1), CellSize times the
    // document, with its grid.
    PixelBuffer magnifiedView;
    // The icon's previews (the window's Im3, Im4 and Im5): the AND part,
    // white where transparent and black elsewhere; the colour (OR) part,
    // black where transparent; and the result, transparent pixels in
    // BackPanelColor.
    PixelBuffer andPreview;
    PixelBuffer colorPreview;
    PixelBuffer resultPreview;

    // A blank canvas of width x height (the document's own size unless
    // given) in BackColor, the grid drawn in GridColor: the document's
    // resizeBlank change.
    void ResetCanvas(Color GridColor, Color BackColor);
    void ResetCanvas(int width, int height, Color GridColor, Color BackColor);
    // Rebuilds every view from the document as it is: the magnified view at
    // its size with a black grid and every cell painted, and the previews,
    // which are kept up to date also while they are hidden. Touches nothing
    // of the document.
    void rebuildViews() { rebuildViews(kBlack); }
    // Paints every cell of the magnified view from the document; the grid
    // lines are left as they are.
    void RepaintEditView();
    // Rebuilds the AND, OR and result previews from the document.
    void UpdateMaskPreviews();

    // Fills the magnified-view cell of document pixel (x, y).
    void paintEditCell(int x, int y, Color c);

    // The text of the size box for the current canvas, e.g. " 32 x 32".
    std::string sizeText() const;

    // Whether a change of the document changes what the views show.
    static bool changesViews(Document::Change change);
    // Whether the AND, OR and result previews are shown for the document:
    // for a drawing of 32 x 32, the size of the icon it becomes, and never
    // for a bitmap. The one rule, whatever made the document what it is
    // (the start, a new image, a size command, an open, a rescue, a restore).
    static bool showsMaskPreviews(const Document& document);

private:
    // The views rebuilt around the document, the grid in GridColor.
    void rebuildViews(Color GridColor);
    void listenToDocument();

    Document document_;
    // The grid colour of the rebuild a ResetCanvas asks for.
    Color resetGridColor_ = kBlack;
};

} // namespace pimoko
