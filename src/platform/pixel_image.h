#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <QColor>
#include <QImage>

namespace pimoko {

// Converts between the model's 0x00BBGGRR colours and Qt's.
inline QColor toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
inline Color fromQColor(const QColor& c) { return rgb(c.red(), c.green(), c.blue()); }

// A QImage that shows the buffer's pixels without copying them: in memory a
// 0x00BBGGRR value is the bytes R, G, B, 0, which is Qt's RGBX8888 layout
// (the fourth byte is ignored for an opaque format). Valid while the buffer
// is neither resized nor destroyed.
inline QImage wrapAsImage(const PixelBuffer& buffer)
{
    if (buffer.isEmpty())
        return {};
    return QImage(reinterpret_cast<const uchar*>(buffer.data()), buffer.width(), buffer.height(),
                  buffer.width() * 4, QImage::Format_RGBX8888);
}

} // namespace pimoko
