#include "editor/model/canvas.h"

#include "raster/icon_parts.h"

#include <algorithm>
#include <utility>

namespace pimoko {

namespace {

// Makes `buffer` a true-colour width x height picture filled with `fill`,
// reusing its storage where the size allows.
void rebuild(PixelBuffer& buffer, int width, int height, Color fill)
{
    if (buffer.width() == width && buffer.height() == height && buffer.format().holdsEveryColor()
        && buffer.format().bitsPerPixel == 32)
        buffer.fill(fill);
    else
        buffer = PixelBuffer(width, height, fill);
}

} // namespace

Canvas::Canvas()
{
    listenToDocument();
    ResetCanvas(kBlack, kWhite);
}

Canvas::Canvas(const Canvas& other)
    : settings(other.settings)
    , AndMaskFillColor(other.AndMaskFillColor)
    , magnifiedView(other.magnifiedView)
    , andPreview(other.andPreview)
    , colorPreview(other.colorPreview)
    , resultPreview(other.resultPreview)
    , document_(other.document_)
{
    listenToDocument();
}

Canvas& Canvas::operator=(const Canvas& other)
{
    settings = other.settings;
    AndMaskFillColor = other.AndMaskFillColor;
    magnifiedView = other.magnifiedView;
    andPreview = other.andPreview;
    colorPreview = other.colorPreview;
    resultPreview = other.resultPreview;
    document_ = other.document_;
    listenToDocument();
    return *this;
}

// Every notice of the document arrives here first: the previews' visibility
// and the buffers follow it, and then the notice passes on to whoever shows
// them (the window's documentChanged).
void Canvas::listenToDocument()
{
    document_.setListener([this](Document::Change change) {
        settings.maskPanelVisible = showsMaskPreviews(document_);
        if (changesViews(change))
            rebuildViews(std::exchange(resetGridColor_, kBlack));
        if (documentChanged)
            documentChanged(change);
    });
}

bool Canvas::changesViews(Document::Change change)
{
    using Change = Document::Change;
    return change != Change::StrokeStarted && change != Change::Saved && change != Change::Renamed;
}

bool Canvas::showsMaskPreviews(const Document& document)
{
    return document.kind() == DocumentKind::Drawing && document.ImageWidth() == 32 && document.ImageHeight() == 32;
}

void Canvas::ResetCanvas(Color GridColor, Color BackColor)
{
    ResetCanvas(ImageWidth(), ImageHeight(), GridColor, BackColor);
}

void Canvas::ResetCanvas(int width, int height, Color GridColor, Color BackColor)
{
    resetGridColor_ = GridColor;
    document_.resizeBlank(PixelBuffer(width, height, BackColor));
}

void Canvas::rebuildViews(Color GridColor)
{
    AndMaskFillColor = kWhite;
    // Every view pixel off a cell lies on a grid row or column (every sixth;
    // the last ones, at the right and bottom edge, fall outside the view).
    rebuild(magnifiedView, CellSize * ImageWidth(), CellSize * ImageHeight(), GridColor);
    RepaintEditView();
    UpdateMaskPreviews();
}

void Canvas::paintEditCell(int x, int y, Color c)
{
    magnifiedView.fillRect(CellSize * x + 1, CellSize * y + 1, CellSize * x + CellSize, CellSize * y + CellSize, c);
}

void Canvas::RepaintEditView()
{
    const PixelBuffer& image = document_.image();
    const int width = std::min(image.width(), magnifiedView.width() / CellSize);
    const int height = std::min(image.height(), magnifiedView.height() / CellSize);
    for (int y = 0; y < height; ++y) {
        const Color* source = image.row(y);
        for (int x = 0; x < width; ++x)
            paintEditCell(x, y, source[x]);
    }
}

void Canvas::UpdateMaskPreviews()
{
    const PixelBuffer& image = document_.image();
    makeIconParts(image, andPreview, colorPreview);
    // The result: the colours where the AND part is black, the back panel
    // where it is white.
    const Color back = settings.BackPanelColor;
    rebuild(resultPreview, image.width(), image.height(), back);
    for (int y = 0; y < image.height(); ++y) {
        const Color* source = image.row(y);
        const Color* andRow = andPreview.row(y);
        Color* resultRow = resultPreview.row(y);
        for (int x = 0; x < image.width(); ++x)
            resultRow[x] = andRow[x] == kWhite ? back : source[x];
    }
}

std::string Canvas::sizeText() const
{
    return " " + std::to_string(ImageWidth()) + " x " + std::to_string(ImageHeight());
}

} // namespace pimoko
