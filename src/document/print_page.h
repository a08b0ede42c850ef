#pragma once

#include "raster/pixel_buffer.h"

class QPrinter;

namespace pimoko {

// Prints the image on one page of `printer`: each pixel a solid block of
// 6 x (printer dpi / screenDpiY) dots per axis, truncated, at the top left
// of the printable area; opaque, without a grid, smoothing or image scaling.
// The printer's own resolution is used, so give it QPrinter::HighResolution.
// The document is ended before this returns, also when drawing fails. Throws
// FileError when the printer cannot start a document.
void printImage(QPrinter& printer, const PixelBuffer& image, int screenDpiY);

} // namespace pimoko
