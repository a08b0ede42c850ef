#include "raster/shapes.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace pimoko {

namespace {

// Coordinates are widened so that differences of two ints cannot overflow.
using Coord = std::int64_t;
__extension__ using Wide = __int128;

struct Box {
    Coord left;
    Coord top;
    Coord right;  // one past the last column
    Coord bottom; // one past the last row

    Coord width() const { return right - left; }
    Coord height() const { return bottom - top; }
};

Box boxOf(Point a, Point b)
{
    return {std::min<Coord>(a.x, b.x), std::min<Coord>(a.y, b.y), std::max<Coord>(a.x, b.x),
            std::max<Coord>(a.y, b.y)};
}

// Pixels of row y from column x0 to x1 inclusive, clipped to the buffer.
void applyRow(PixelBuffer& buffer, Coord y, Coord x0, Coord x1, Color pen, RasterOp op)
{
    if (y < 0 || y >= buffer.height())
        return;
    x0 = std::max<Coord>(x0, 0);
    x1 = std::min<Coord>(x1, buffer.width() - 1);
    for (Coord x = x0; x <= x1; ++x)
        buffer.applyPixel(int(x), int(y), pen, op);
}

// Pixels of column x from row y0 to y1 inclusive, clipped to the buffer.
void applyColumn(PixelBuffer& buffer, Coord x, Coord y0, Coord y1, Color pen, RasterOp op)
{
    if (x < 0 || x >= buffer.width())
        return;
    y0 = std::max<Coord>(y0, 0);
    y1 = std::min<Coord>(y1, buffer.height() - 1);
    for (Coord y = y0; y <= y1; ++y)
        buffer.applyPixel(int(x), int(y), pen, op);
}

void applyClipped(PixelBuffer& buffer, Coord x, Coord y, Color pen, RasterOp op)
{
    if (x >= 0 && y >= 0 && x < buffer.width() && y < buffer.height())
        buffer.applyPixel(int(x), int(y), pen, op);
}

// One quarter of the ellipse whose outermost pixel centres lie `a` columns and
// `b` rows apart, in coordinates doubled about its centre so that even sizes
// keep whole numbers: X runs over a, a-2, ... down to a % 2, and Y likewise.
// Visits the quarter's pixels once each, 8-connected, from the top (a % 2, b)
// to the side (a, b % 2). Int must hold values up to about 4 a^2 b^2.
template <typename Int, typename Visit>
void walkQuarter(Coord a, Coord b, Visit&& visit)
{
    const Int aa = Int(a) * a;
    const Int bb = Int(b) * b;
    const Int aabb = aa * bb;
    // Negative inside the ellipse, positive outside.
    const auto f = [&](Coord x, Coord y) { return bb * x * x + aa * y * y - aabb; };

    const Coord xEnd = a & 1;
    const Coord yEnd = b & 1;
    Coord x = xEnd;
    Coord y = b;
    visit(x, y);
    // Where the curve is flatter than a diagonal: a column per step, keeping the
    // row while the midpoint below the candidate is still inside the ellipse.
    // On the middle row(s) the run goes on out to the side.
    while (x < a && (y == yEnd || bb * x < aa * y)) {
        x += 2;
        if (y > yEnd && f(x, y - 1) >= 0)
            y -= 2;
        visit(x, y);
    }
    // Where it is steeper: a row per step, moving outwards while the midpoint
    // beside the candidate is inside.
    while (y > yEnd) {
        y -= 2;
        if (x < a && f(x + 1, y) < 0)
            x += 2;
        visit(x, y);
    }
    // Guard: the quarter must end on the box's side even if the steep part
    // stopped short of it (no size up to 700 x 700 does).
    while (x < a) {
        x += 2;
        visit(x, y);
    }
}

// Box outline whose four corners are the quarters of an ellipse cornerWidth x
// cornerHeight pixels (1 <= cornerWidth <= box width, likewise the height);
// corners of size 1 are square and corners as large as the box make an ellipse.
// Corner quarters, straight edges and their mirror images are kept disjoint by
// construction, so no pixel is visited twice.
void drawRoundedBox(PixelBuffer& buffer, const Box& box, Coord cornerWidth, Coord cornerHeight, Color pen,
                    RasterOp op)
{
    const Coord a = cornerWidth - 1;
    const Coord b = cornerHeight - 1;
    // Doubled centres of the corner quarters: the outermost pixel of each
    // quarter lands on the box's first or last column or row.
    const Coord left2 = 2 * box.left + a;
    const Coord right2 = 2 * (box.right - 1) - a;
    const Coord top2 = 2 * box.top + b;
    const Coord bottom2 = 2 * (box.bottom - 1) - b;
    // When the two centres coincide, the quarter's pixels on the middle column
    // (row) are shared by both halves and only drawn by one of them.
    const bool splitColumns = left2 != right2;
    const bool splitRows = top2 != bottom2;

    auto visit = [&](Coord x, Coord y) {
        const bool left = splitColumns || x != 0;
        const bool lower = splitRows || y != 0;
        applyClipped(buffer, (right2 + x) / 2, (top2 - y) / 2, pen, op);
        if (lower)
            applyClipped(buffer, (right2 + x) / 2, (bottom2 + y) / 2, pen, op);
        if (left) {
            applyClipped(buffer, (left2 - x) / 2, (top2 - y) / 2, pen, op);
            if (lower)
                applyClipped(buffer, (left2 - x) / 2, (bottom2 + y) / 2, pen, op);
        }
    };
    if (std::max(a, b) <= (1 << 14))
        walkQuarter<std::int64_t>(a, b, visit);
    else
        walkQuarter<Wide>(a, b, visit);

    // Straight edges between the quarters' innermost pixels.
    const Coord edgeLeft = (left2 - (a & 1)) / 2 + 1;
    const Coord edgeRight = (right2 + (a & 1)) / 2 - 1;
    const Coord edgeTop = (top2 - (b & 1)) / 2 + 1;
    const Coord edgeBottom = (bottom2 + (b & 1)) / 2 - 1;
    applyRow(buffer, box.top, edgeLeft, edgeRight, pen, op);
    if (box.height() > 1)
        applyRow(buffer, box.bottom - 1, edgeLeft, edgeRight, pen, op);
    applyColumn(buffer, box.left, edgeTop, edgeBottom, pen, op);
    if (box.width() > 1)
        applyColumn(buffer, box.right - 1, edgeTop, edgeBottom, pen, op);
}

Coord clampedCorner(int size, Coord boxSize)
{
    const Coord magnitude = size < 0 ? -Coord(size) : Coord(size);
    return std::clamp<Coord>(magnitude, 1, boxSize);
}

} // namespace

void drawLine(PixelBuffer& buffer, Point a, Point b, Color pen, RasterOp op)
{
    if (a == b || buffer.isEmpty())
        return;
    const Coord dx = Coord(b.x) - a.x;
    const Coord dy = Coord(b.y) - a.y;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    // Work along the major axis u and the minor axis v.
    const Coord u0 = xMajor ? a.x : a.y;
    const Coord v0 = xMajor ? a.y : a.x;
    const Coord du = xMajor ? dx : dy;
    const Coord dv = xMajor ? dy : dx;
    const Coord uLimit = xMajor ? buffer.width() : buffer.height();
    const Coord n = std::abs(du);
    const Coord m = std::abs(dv);
    const Coord su = du < 0 ? -1 : 1;
    const Coord sv = dv < 0 ? -1 : 1;

    // Step i (0 <= i < n) sets u = u0 + su*i and v = v0 + sv*k with k the
    // distance m*i/n rounded so that a tie takes the larger v:
    // k = floor((2*i*m + n - t) / 2n), t = 1 when v decreases, else 0.
    // Only the steps whose u lies inside the buffer are walked.
    Coord first = 0;
    Coord last = n - 1;
    if (su > 0) {
        first = std::max<Coord>(first, -u0);
        last = std::min<Coord>(last, uLimit - 1 - u0);
    } else {
        first = std::max<Coord>(first, u0 - (uLimit - 1));
        last = std::min<Coord>(last, u0);
    }
    if (first > last)
        return;

    const Coord twoN = 2 * n;
    const Wide numerator = Wide(2) * first * m + n - (sv < 0 ? 1 : 0);
    Coord k = Coord(numerator / twoN);
    Coord remainder = Coord(numerator % twoN);
    for (Coord i = first; i <= last; ++i) {
        const Coord u = u0 + su * i;
        const Coord v = v0 + sv * k;
        if (xMajor)
            applyClipped(buffer, u, v, pen, op);
        else
            applyClipped(buffer, v, u, pen, op);
        remainder += 2 * m;
        if (remainder >= twoN) {
            remainder -= twoN;
            ++k;
        }
    }
}

void drawBoxOutline(PixelBuffer& buffer, Point a, Point b, Color pen, RasterOp op)
{
    const Box box = boxOf(a, b);
    if (box.width() == 0 || box.height() == 0 || buffer.isEmpty())
        return;
    drawRoundedBox(buffer, box, 1, 1, pen, op);
}

void drawEllipseOutline(PixelBuffer& buffer, Point a, Point b, Color pen, RasterOp op)
{
    const Box box = boxOf(a, b);
    if (box.width() == 0 || box.height() == 0 || buffer.isEmpty())
        return;
    if (box.width() > kMaxCurveExtent || box.height() > kMaxCurveExtent)
        return;
    drawRoundedBox(buffer, box, box.width(), box.height(), pen, op);
}

void drawRoundRectOutline(PixelBuffer& buffer, Point a, Point b, int cornerWidth, int cornerHeight, Color pen,
                          RasterOp op)
{
    const Box box = boxOf(a, b);
    if (box.width() == 0 || box.height() == 0 || buffer.isEmpty())
        return;
    Coord width = clampedCorner(cornerWidth, box.width());
    Coord height = clampedCorner(cornerHeight, box.height());
    // A corner one pixel wide or high has no curve left: square corners.
    if (width == 1 || height == 1)
        width = height = 1;
    if (width > kMaxCurveExtent || height > kMaxCurveExtent)
        return;
    drawRoundedBox(buffer, box, width, height, pen, op);
}

} // namespace pimoko
