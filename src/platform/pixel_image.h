#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <QColor>
#include <QImage>
#include <QRect>

namespace pimoko {

// Converts between the model's 0x00BBGGRR colours and Qt's.
inline QColor toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
inline Color fromQColor(const QColor& c) { return rgb(c.red(), c.green(), c.blue()); }

// An opaque QImage of the part `area` of the buffer (clipped to it), for
// painting: Qt's 0xFFRRGGBB, the alpha byte always 255, so that it paints
// the same on any backing store, translucent ones included.
QImage toOpaqueImage(const PixelBuffer& buffer, QRect area);

} // namespace pimoko
