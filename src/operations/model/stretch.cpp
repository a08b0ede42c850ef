#include "operations/model/stretch.h"

#include <cstdint>
#include <vector>

namespace pimoko {

namespace {

// The source range [first, last] that destination pixel u takes along an
// axis of `from` source and `to` destination pixels.
struct SourceRange {
    int first;
    int last;
};

std::vector<SourceRange> axisMap(int from, int to)
{
    std::vector<SourceRange> ranges(std::size_t(to), SourceRange{0, 0});
    const std::int64_t s = from;
    const std::int64_t d = to;
    for (std::int64_t u = 0; u < d; ++u) {
        if (d >= s) {
            const int x = int(u * s / d);
            ranges[std::size_t(u)] = {x, x};
        } else {
            // x * d div s = u  <=>  u * s <= x * d < (u + 1) * s
            const int first = int((u * s + d - 1) / d);
            const int end = int(((u + 1) * s + d - 1) / d);
            ranges[std::size_t(u)] = {first, end - 1};
        }
    }
    return ranges;
}

} // namespace

PixelBuffer stretchImage(const PixelBuffer& source, int width, int height)
{
    if (width <= 0 || height <= 0)
        return PixelBuffer();
    PixelBuffer result(width, height);
    if (source.isEmpty())
        return result;

    const std::vector<SourceRange> columns = axisMap(source.width(), width);
    const std::vector<SourceRange> rows = axisMap(source.height(), height);
    for (int v = 0; v < height; ++v) {
        Color* out = result.row(v);
        const SourceRange& rowRange = rows[std::size_t(v)];
        for (int u = 0; u < width; ++u) {
            const SourceRange& columnRange = columns[std::size_t(u)];
            Color c = 0xFFFFFF;
            for (int y = rowRange.first; y <= rowRange.last; ++y) {
                const Color* in = source.row(y);
                for (int x = columnRange.first; x <= columnRange.last; ++x)
                    c &= in[x];
            }
            out[u] = c & 0xFFFFFF;
        }
    }
    return result;
}

} // namespace pimoko
