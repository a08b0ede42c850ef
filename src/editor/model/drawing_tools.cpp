#include "editor/model/drawing_tools.h"

#include "raster/flood_fill.h"
#include "raster/shapes.h"

#include <optional>

namespace pimoko {

namespace {

// The colour of the button that is held alone, if one is.
std::optional<Color> penFor(MouseState state, const PenColors& colors)
{
    if (state == MouseState::Left)
        return colors.left;
    if (state == MouseState::Right)
        return colors.right;
    return std::nullopt;
}

void drawOne(PixelBuffer& target, ToolCode tool, Point a, Point b, int cornerWidth, int cornerHeight, Color k,
             RasterOp mode)
{
    switch (tool) {
    case ToolCode::Line:
        drawLine(target, a, b, k, mode);
        break;
    case ToolCode::Rectangle:
        drawBoxOutline(target, a, b, k, mode);
        break;
    case ToolCode::Ellipse:
        drawEllipseOutline(target, a, b, k, mode);
        break;
    case ToolCode::RoundRectangle:
        drawRoundRectOutline(target, a, b, cornerWidth, cornerHeight, k, mode);
        break;
    default:
        break;
    }
}

// Paints document pixel `pixel` and its cell in the magnified view; the cell
// shows the colour the document actually stores. Outside the document
// nothing changes.
void paintPenCell(Canvas& canvas, Point pixel, Color k)
{
    if (!canvas.actualSize().contains(pixel.x, pixel.y))
        return;
    PixelBuffer& image = canvas.document().strokePixels();
    image.setPixel(pixel.x, pixel.y, k);
    canvas.paintEditCell(pixel.x, pixel.y, image.pixel(pixel.x, pixel.y));
}

} // namespace

std::string DrawingTools::statusText(Point pixel)
{
    return " X " + std::to_string(pixel.x) + "  Y " + std::to_string(pixel.y);
}

void DrawingTools::DrawShape(Canvas& canvas, ToolCode tool, Point a, Point b, Color k, RasterOp mode)
{
    drawOne(canvas.document().strokePixels(), tool, a, b, (a.x - b.x) / 2, (a.y - b.y) / 2, k, mode);
    const Point viewA{CellSize * a.x, CellSize * a.y};
    const Point viewB{CellSize * b.x, CellSize * b.y};
    drawOne(canvas.magnifiedView, tool, viewA, viewB, (viewA.x - viewB.x) / 2, (viewA.y - viewB.y) / 2, k, mode);
}

Point DrawingTools::mouseDown(Canvas& canvas, ToolCode tool, MouseState state, Point viewPoint, PenColors& colors)
{
    const Point pixel = documentPixelAt(viewPoint);
    const std::optional<Color> k = penFor(state, colors);
    if (!k)
        return pixel;
    FStartPoint = pixel;
    FEndPoint = pixel;
    switch (tool) {
    case ToolCode::Pen:
        paintPenCell(canvas, pixel, *k);
        break;
    case ToolCode::Fill:
        if (canvas.actualSize().contains(pixel.x, pixel.y)) {
            floodFill(canvas.document().strokePixels(), pixel.x, pixel.y, *k);
            canvas.RepaintEditView();
        }
        break;
    case ToolCode::ColorPicker:
        // The picker reads the magnified view, so a grid line gives its colour.
        if (canvas.magnifiedView.contains(viewPoint.x, viewPoint.y)) {
            const Color picked = canvas.magnifiedView.pixel(viewPoint.x, viewPoint.y);
            (state == MouseState::Left ? colors.left : colors.right) = picked;
        }
        break;
    default:
        break;
    }
    return pixel;
}

Point DrawingTools::mouseMove(Canvas& canvas, ToolCode tool, MouseState state, Point viewPoint, const PenColors& colors)
{
    const Point pixel = documentPixelAt(viewPoint);
    const std::optional<Color> k = penFor(state, colors);
    if (!k)
        return pixel;
    // A drag that began beside the view draws here with no press on it: the
    // document is changed all the same (strokePixels), and must be asked about.
    if (tool == ToolCode::Pen) {
        paintPenCell(canvas, pixel, *k);
        return pixel;
    }
    DrawShape(canvas, tool, FStartPoint, FEndPoint, *k, RasterOp::NotXor);
    FEndPoint = {pixel.x + 1, pixel.y + 1};
    DrawShape(canvas, tool, FStartPoint, FEndPoint, *k, RasterOp::NotXor);
    return pixel;
}

void DrawingTools::mouseUp(Canvas& canvas, ToolCode tool, MouseState state, Point viewPoint, const PenColors& colors)
{
    const Point pixel = documentPixelAt(viewPoint);
    // The released button is not in the state: this draws only when the
    // other button is still held.
    if (const std::optional<Color> k = penFor(state, colors))
        DrawShape(canvas, tool, FStartPoint, pixel, *k, RasterOp::Copy);
    // Its notice rebuilds every buffer, the previews included (Canvas).
    canvas.document().finishStroke();
}

} // namespace pimoko
