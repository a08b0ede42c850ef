#pragma once

#include "editor/model/canvas.h"
#include "editor/model/mouse_state.h"
#include "editor/model/start_values.h"
#include "editor/model/tool_codes.h"
#include "raster/color.h"
#include "raster/point.h"

namespace pimoko {

// The colours the two mouse buttons draw with. The colour picker changes them.
struct PenColors {
    Color left = StartValues::LeftColor;
    Color right = StartValues::RightColor;
};

// What the seven tools do with the mouse on the magnified editing view. A
// stroke is a press, any number of moves and a release; shapes are dragged
// out as outlines drawn with NOT-XOR straight into the document and the view,
// and the release rebuilds every view from the document. Only a state of
// exactly {left} or exactly {right} draws.
class DrawingTools {
public:
    // Anchor of the current drag, and the end corner of the outline drawn
    // last (the pixel under the mouse plus one).
    Point FStartPoint;
    Point FEndPoint;

    // Each returns the document pixel under the view point, for the status text.
    // The press comes after the document's startStroke (the editing view
    // keeps the rescue copy first); it changes `colors` when the colour
    // picker reads the view. The release ends the stroke with the
    // document's finishStroke, whose notice rebuilds every view.
    Point mouseDown(Canvas& canvas, ToolCode tool, MouseState state, Point viewPoint, PenColors& colors);
    Point mouseMove(Canvas& canvas, ToolCode tool, MouseState state, Point viewPoint, const PenColors& colors);
    void mouseUp(Canvas& canvas, ToolCode tool, MouseState state, Point viewPoint, const PenColors& colors);

    // Draws the tool's shape between document pixels a and b into the
    // document and, at six times the coordinates, as a thin outline into the
    // magnified view. Tools without a shape draw nothing.
    static void DrawShape(Canvas& canvas, ToolCode tool, Point a, Point b, Color k, RasterOp mode);

    // The text of the position panel: " X 3  Y -1".
    static std::string statusText(Point pixel);
};

} // namespace pimoko
