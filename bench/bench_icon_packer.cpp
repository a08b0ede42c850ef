// Times packing pictures into one icon file and taking it apart again, in
// process: five sizes (16, 24, 32, 48 and 256, the last stored as PNG),
// once as 16-colour pixel art and once as smooth colour with alpha; and the
// thumbnail of the largest image.
#include "bench_timing.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "raster/rgba_scaling.h"
#include "raster/standard_colors.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace pimoko;

namespace {

std::vector<RgbaImage> fiveSizes(bool pixelArt)
{
    std::vector<RgbaImage> images;
    for (int side : {16, 24, 32, 48, 256}) {
        RgbaImage image(side, side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                if (pixelArt) {
                    const Rgba p = opaqueRgba(kStandardColors[std::size_t((x / 3 + y / 5) % 16)]);
                    image.setPixel(x, y, (x + y) % 7 == 0 ? kClear : p);
                } else {
                    const auto v = [&](int n) { return std::uint8_t(n * 255 / (2 * side)); };
                    image.setPixel(x, y, {v(2 * x), v(2 * y), v(x + y), v(x + side)});
                }
            }
        images.push_back(image);
    }
    return images;
}

} // namespace

int main()
{
    for (const bool pixelArt : {true, false}) {
        const std::string kind = pixelArt ? "16 colours (4-bit + PNG)" : "colour with alpha (32-bit + PNG)";
        const std::vector<RgbaImage> images = fiveSizes(pixelArt);
        std::vector<std::uint8_t> file;
        std::size_t sink = 0;
        report(("packIconFile, 16/24/32/48/256, " + kind).c_str(), medianMicroseconds(200, [&] {
                   file = packIconFile(images);
               }));
        report(("decodeIconFileImages, the same file (" + std::to_string(file.size()) + " bytes)").c_str(),
               medianMicroseconds(200, [&] { sink += decodeIconFileImages(file).size(); }));
        report("fitThumbnail, 256 x 256 down to 48", medianMicroseconds(200, [&] {
                   sink += std::size_t(fitThumbnail(images.back(), 48).width());
               }));
        if (sink == 1)
            std::printf(" ");
    }
    return 0;
}
