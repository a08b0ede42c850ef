// Times the drawing tools on a 64 x 64 image: one mouse move with the
// rectangle tool (the old outline erased and the new one drawn with NOT-XOR
// into the document and the magnified view), and a whole stroke.
#include "bench_timing.h"
#include "editor/model/drawing_tools.h"
#include "editor/model/tool_codes.h"

using namespace pimoko;

int main()
{
    Canvas canvas;
    canvas.settings.maskPanelVisible = true;
    canvas.ResetCanvas(64, 64, kBlack, kWhite);
    DrawingTools tools;
    PenColors colors;

    tools.mouseDown(canvas, ToolCode::Rectangle, MouseState::Left, {3, 3}, colors);
    int step = 0;
    report("rectangle tool, one mouse move, 64 x 64", medianMicroseconds(20000, [&] {
               // Alternate between a large and a smaller box across the image.
               const Point p = (++step & 1) ? Point{380, 380} : Point{200, 300};
               tools.mouseMove(canvas, ToolCode::Rectangle, MouseState::Left, p, colors);
           }));
    tools.mouseUp(canvas, ToolCode::Rectangle, {}, {200, 300}, colors);

    for (ToolCode tool : {ToolCode::Ellipse, ToolCode::RoundRectangle, ToolCode::Line}) {
        tools.mouseDown(canvas, tool, MouseState::Left, {3, 3}, colors);
        const char* name = tool == ToolCode::Ellipse ? "ellipse tool, one mouse move, 64 x 64"
                           : tool == ToolCode::Line  ? "line tool, one mouse move, 64 x 64"
                                                     : "rounded rectangle tool, one mouse move, 64 x 64";
        report(name, medianMicroseconds(20000, [&] {
                   const Point p = (++step & 1) ? Point{380, 380} : Point{200, 300};
                   tools.mouseMove(canvas, tool, MouseState::Left, p, colors);
               }));
        tools.mouseUp(canvas, tool, {}, {200, 300}, colors);
    }

    double releaseTotal = 0;
    int strokes = 0;
    report("rectangle stroke: press, 50 moves, release", medianMicroseconds(500, [&] {
               tools.mouseDown(canvas, ToolCode::Rectangle, MouseState::Left, {3, 3}, colors);
               for (int i = 0; i < 50; ++i)
                   tools.mouseMove(canvas, ToolCode::Rectangle, MouseState::Left, {7 * i + 6, 5 * i + 9}, colors);
               const auto start = std::chrono::steady_clock::now();
               tools.mouseUp(canvas, ToolCode::Rectangle, {}, {300, 250}, colors);
               releaseTotal += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
               ++strokes;
           }));
    std::printf("%-60s mean   %9.1f us\n", "  of which the release with its refresh", releaseTotal / strokes);
    report("release with its refresh alone", medianMicroseconds(2000, [&] {
               tools.mouseUp(canvas, ToolCode::Rectangle, {}, {300, 250}, colors);
           }));
    return 0;
}
