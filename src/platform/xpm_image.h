#pragma once

#include <QImage>

namespace pimoko {

// The picture of an XPM array (XPM files are C source, compiled into the
// program) of the plain kind this program's own pictures are: one character
// a pixel, each colour "c #RRGGBB" or "c None" (see-through), at most 256
// pixels a side. Format_ARGB32. Reads in a few microseconds what Qt's
// general XPM reader, with its colour names and symbolic colours, takes
// tens of microseconds for; anything else gives a null image, which the
// caller then hands to Qt's reader.
QImage plainXpmImage(const char* const* xpm);

} // namespace pimoko
