#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"
#include "raster/point.h"

namespace pimoko {

// One-pixel outlines drawn with a pen colour and a raster operation, no fill.
//
// Every routine changes each pixel of its figure exactly once, so drawing the
// same figure twice with RasterOp::NotXor restores the buffer. Points may lie
// anywhere, also far outside the buffer; pixels beyond its edges are skipped.
//
// The box with corners a and b spans columns min(a.x, b.x) .. max(a.x, b.x) - 1
// and rows min(a.y, b.y) .. max(a.y, b.y) - 1: the larger column and row are
// left out, and a box with no width or no height draws nothing.

// The line from a towards b: a is drawn, b is not, and a == b draws nothing.
// Each step along the longer axis sets one pixel, the one whose centre lies
// nearest the ideal line; where two are equally near, the one with the larger
// coordinate. The pixels are therefore the same whichever end the line starts
// from, apart from the end points themselves.
void drawLine(PixelBuffer& buffer, Point a, Point b, Color pen, RasterOp op);

// The outline of the box with corners a and b. A box one pixel wide or high
// becomes a single column or row.
void drawBoxOutline(PixelBuffer& buffer, Point a, Point b, Color pen, RasterOp op);

// The outline of the ellipse inscribed in the box with corners a and b: it
// touches all four sides of the box, is symmetric about both of the box's
// middle lines, closed and 8-connected.
void drawEllipseOutline(PixelBuffer& buffer, Point a, Point b, Color pen, RasterOp op);

// The outline of the box with corners a and b, its corners rounded as the
// quarters of an ellipse |cornerWidth| wide and |cornerHeight| high, each size
// at most the box's width or height. A corner size of 0 or 1 gives square
// corners; corners as large as the box give the inscribed ellipse.
void drawRoundRectOutline(PixelBuffer& buffer, Point a, Point b, int cornerWidth, int cornerHeight, Color pen,
                          RasterOp op);

// Curved outlines whose corner ellipse is wider or higher than this are not
// drawn at all: no pointer position comes near it, and walking such a curve
// pixel by pixel would take seconds.
constexpr long long kMaxCurveExtent = 1LL << 24;

} // namespace pimoko
