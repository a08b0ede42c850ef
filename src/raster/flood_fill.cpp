#include "raster/flood_fill.h"

#include "raster/point.h"

#include <cstdint>
#include <vector>

namespace pimoko {

void floodFill(PixelBuffer& buffer, int x, int y, Color k)
{
    if (!buffer.contains(x, y))
        return;
    const Color target = buffer.pixel(x, y);
    const Color fill = buffer.storable(k);
    // The area is the pixels of the start's colour and alpha (every pixel
    // of a buffer without alpha reads opaque). Filled pixels turn opaque: a
    // fill of their own colour still makes transparent ones opaque.
    const std::uint8_t targetAlpha = buffer.alpha(x, y);
    const auto inArea = [&](const Color* row, int px, int py) {
        return row[px] == target && buffer.alpha(px, py) == targetAlpha;
    };
    // Filled pixels must stop matching the target, or the fill would never end.
    if (fill == target && targetAlpha == 255)
        return;

    const int width = buffer.width();
    const int height = buffer.height();
    // Seeds of runs still to fill; each run is filled whole, then one seed is
    // pushed for every run of target pixels touching it in the rows above and
    // below.
    std::vector<Point> seeds{{x, y}};
    while (!seeds.empty()) {
        const Point seed = seeds.back();
        seeds.pop_back();
        Color* row = buffer.row(seed.y);
        if (!inArea(row, seed.x, seed.y))
            continue;
        int left = seed.x;
        while (left > 0 && inArea(row, left - 1, seed.y))
            --left;
        int right = seed.x;
        while (right + 1 < width && inArea(row, right + 1, seed.y))
            ++right;
        buffer.fillRect(left, seed.y, right + 1, seed.y + 1, fill);

        for (const int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= height)
                continue;
            const Color* neighbour = buffer.row(ny);
            bool inRun = false;
            for (int i = left; i <= right; ++i) {
                const bool matches = inArea(neighbour, i, ny);
                if (matches && !inRun)
                    seeds.push_back({i, ny});
                inRun = matches;
            }
        }
    }
}

} // namespace pimoko
