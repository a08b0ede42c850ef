#include "raster/rgba_scaling.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pimoko {

namespace {

// The source pixels one new pixel covers along one axis, each with the
// length it covers in units of 1 / newSide source pixels; the lengths of
// one new pixel add up to oldSide.
struct Cover {
    int from = 0;
    std::vector<std::uint64_t> lengths;
};

std::vector<Cover> coversAlong(int oldSide, int newSide)
{
    std::vector<Cover> covers(static_cast<std::size_t>(newSide));
    const std::int64_t oldLength = oldSide;
    const std::int64_t newLength = newSide;
    for (std::int64_t t = 0; t < newLength; ++t) {
        // New pixel t spans [t * oldSide, (t + 1) * oldSide), source pixel s
        // spans [s * newSide, (s + 1) * newSide), both in the same units.
        const std::int64_t begin = t * oldLength;
        const std::int64_t end = begin + oldLength;
        Cover& cover = covers[std::size_t(t)];
        cover.from = int(begin / newLength);
        for (std::int64_t s = cover.from; s * newLength < end; ++s)
            cover.lengths.push_back(std::uint64_t(std::min(end, (s + 1) * newLength) - std::max(begin, s * newLength)));
    }
    return covers;
}

} // namespace

RgbaImage enlargeByBlocks(const RgbaImage& image, int factor)
{
    RgbaImage result(image.width() * factor, image.height() * factor);
    for (int y = 0; y < result.height(); ++y) {
        const Rgba* source = image.row(y / factor);
        Rgba* target = result.row(y);
        for (int x = 0; x < result.width(); ++x)
            target[x] = source[x / factor];
    }
    return result;
}

RgbaImage shrinkByAreaAverage(const RgbaImage& image, int width, int height)
{
    const std::vector<Cover> columns = coversAlong(image.width(), width);
    const std::vector<Cover> rows = coversAlong(image.height(), height);
    const std::uint64_t area = std::uint64_t(image.width()) * std::uint64_t(image.height());
    RgbaImage result(width, height);
    for (int y = 0; y < height; ++y) {
        const Cover& rowCover = rows[std::size_t(y)];
        for (int x = 0; x < width; ++x) {
            const Cover& columnCover = columns[std::size_t(x)];
            std::uint64_t alpha = 0, red = 0, green = 0, blue = 0;
            for (std::size_t j = 0; j < rowCover.lengths.size(); ++j) {
                const Rgba* source = image.row(rowCover.from + int(j)) + columnCover.from;
                for (std::size_t i = 0; i < columnCover.lengths.size(); ++i) {
                    const Rgba p = source[i];
                    const std::uint64_t weight = rowCover.lengths[j] * columnCover.lengths[i] * p.a;
                    alpha += weight;
                    red += weight * p.r;
                    green += weight * p.g;
                    blue += weight * p.b;
                }
            }
            const auto meanAlpha = std::uint8_t((alpha + area / 2) / area);
            if (meanAlpha == 0)
                continue;  // stays kClear
            const auto mean = [alpha](std::uint64_t sum) { return std::uint8_t((sum + alpha / 2) / alpha); };
            result.setPixel(x, y, {mean(red), mean(green), mean(blue), meanAlpha});
        }
    }
    return result;
}

ThumbnailSize thumbnailSize(int width, int height, int size)
{
    const int larger = std::max(width, height);
    if (larger <= 0 || size <= 0)
        return {};
    if (larger > size) {
        const auto scaled = [&](int side) {
            return std::max(1, int((std::int64_t(side) * size + larger / 2) / larger));
        };
        return {scaled(width), scaled(height)};
    }
    const int factor = std::clamp(size / larger, 1, kMaxThumbnailEnlargement);
    return {width * factor, height * factor};
}

RgbaImage fitThumbnail(const RgbaImage& image, int size)
{
    const ThumbnailSize fitted = thumbnailSize(image.width(), image.height(), size);
    if (fitted.width == 0)
        return {};
    if (fitted.width < image.width() || fitted.height < image.height())
        return shrinkByAreaAverage(image, fitted.width, fitted.height);
    if (fitted.width > image.width())
        return enlargeByBlocks(image, fitted.width / image.width());
    return image;
}

} // namespace pimoko
