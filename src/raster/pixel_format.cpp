#include "raster/pixel_format.h"

#include <bit>
#include <limits>

namespace pimoko {

namespace {

// The 8-bit value a channel of `bits` bits keeps of `value`: its top bits,
// read back scaled to the full range (round(v * 255 / (2^bits - 1))), so that
// the largest stored value is 255 again. Channels of 8 bits or more keep
// every value.
int storeChannel(int value, int bits)
{
    if (bits >= 8)
        return value;
    if (bits <= 0)
        return 0;
    const int top = (1 << bits) - 1;
    const int kept = value >> (8 - bits);
    return (kept * 255 * 2 + top) / (top * 2);
}

} // namespace

PixelFormat PixelFormat::trueColor32() { return {}; }

PixelFormat PixelFormat::trueColor24()
{
    PixelFormat f;
    f.bitsPerPixel = 24;
    return f;
}

PixelFormat PixelFormat::rgb555()
{
    PixelFormat f;
    f.bitsPerPixel = 16;
    f.redMask = 0x7C00;
    f.greenMask = 0x03E0;
    f.blueMask = 0x001F;
    return f;
}

PixelFormat PixelFormat::rgb565()
{
    PixelFormat f;
    f.bitsPerPixel = 16;
    f.redMask = 0xF800;
    f.greenMask = 0x07E0;
    f.blueMask = 0x001F;
    return f;
}

PixelFormat PixelFormat::indexed(int bitsPerPixel, std::vector<Color> palette)
{
    PixelFormat f;
    f.bitsPerPixel = bitsPerPixel;
    f.palette = std::move(palette);
    f.redMask = f.greenMask = f.blueMask = 0;
    return f;
}

bool PixelFormat::holdsEveryColor() const
{
    if (bitsPerPixel == 24)
        return true;
    if (bitsPerPixel != 32)
        return false;
    return std::popcount(redMask) >= 8 && std::popcount(greenMask) >= 8 && std::popcount(blueMask) >= 8;
}

int PixelFormat::nearestIndex(Color c) const
{
    int best = 0;
    long bestDistance = std::numeric_limits<long>::max();
    for (int i = 0; i < int(palette.size()); ++i) {
        const Color p = palette[i];
        const long dr = redOf(p) - redOf(c);
        const long dg = greenOf(p) - greenOf(c);
        const long db = blueOf(p) - blueOf(c);
        const long distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    return best;
}

Color PixelFormat::storable(Color c) const
{
    c &= 0xFFFFFF;
    if (isIndexed())
        return palette.empty() ? kBlack : palette[nearestIndex(c)];
    if (holdsEveryColor())
        return c;
    return rgb(storeChannel(redOf(c), std::popcount(redMask)),
               storeChannel(greenOf(c), std::popcount(greenMask)),
               storeChannel(blueOf(c), std::popcount(blueMask)));
}

} // namespace pimoko
