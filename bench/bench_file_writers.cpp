// Times the file writers in memory: a 64 x 64 icon from the image (the AND
// and OR parts, then the icon bytes) and a 64 x 64 bitmap in 32 bits.
#include "bench_timing.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/icon_writer.h"
#include "raster/icon_parts.h"

#include <cstdint>
#include <random>

using namespace pimoko;

int main()
{
    // Colours outside the standard sixteen, so every pixel needs the nearest search.
    std::mt19937 random(64);
    PixelBuffer image(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, Color(random() & 0xFFFFFF));

    std::size_t bytes = 0;
    report("icon 64 x 64: parts + WriteIconData", medianMicroseconds(2000, [&] {
               const IconParts parts = makeIconParts(image);
               bytes += WriteIconData(parts.andPart, parts.orPart).size();
           }));
    report("bitmap 64 x 64, 32 bits: bitmapFileBytes", medianMicroseconds(2000, [&] {
               bytes += bitmapFileBytes(image).size();
           }));
    PixelBuffer indexed = image;
    indexed.convertTo(PixelFormat::indexed(8, std::vector<Color>(image.data(), image.data() + 256)));
    report("bitmap 64 x 64, 8 bits with 256 colours: bitmapFileBytes", medianMicroseconds(2000, [&] {
               bytes += bitmapFileBytes(indexed).size();
           }));
    return bytes == 0;
}
