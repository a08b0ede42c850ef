#include "raster/flood_fill.h"

#include "raster/point.h"

#include <vector>

namespace pimoko {

void floodFill(PixelBuffer& buffer, int x, int y, Color k)
{
    if (!buffer.contains(x, y))
        return;
    const Color target = buffer.pixel(x, y);
    const Color fill = buffer.storable(k);
    // Filled pixels must stop matching the target, or the fill would never end.
    if (fill == target)
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
        if (row[seed.x] != target)
            continue;
        int left = seed.x;
        while (left > 0 && row[left - 1] == target)
            --left;
        int right = seed.x;
        while (right + 1 < width && row[right + 1] == target)
            ++right;
        buffer.fillRect(left, seed.y, right + 1, seed.y + 1, fill);

        for (const int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= height)
                continue;
            const Color* neighbour = buffer.row(ny);
            bool inRun = false;
            for (int i = left; i <= right; ++i) {
                const bool matches = neighbour[i] == target;
                if (matches && !inRun)
                    seeds.push_back({i, ny});
                inRun = matches;
            }
        }
    }
}

} // namespace pimoko
