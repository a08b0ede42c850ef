#include "raster/pixel_buffer.h"

#include <algorithm>

namespace pimoko {

PixelBuffer::PixelBuffer(int width, int height, Color fill, PixelFormat format)
    : width_(std::max(width, 0))
    , height_(std::max(height, 0))
    , format_(std::move(format))
    , exact_(format_.holdsEveryColor())
    , pixels_(std::size_t(width_) * std::size_t(height_), storable(fill))
    , alpha_(format_.alphaMask != 0 ? pixels_.size() : 0, std::uint8_t(255))
{
}

void PixelBuffer::convertTo(PixelFormat format)
{
    format_ = std::move(format);
    exact_ = format_.holdsEveryColor();
    if (format_.alphaMask == 0)
        alpha_.clear();
    else if (alpha_.empty())
        alpha_.assign(pixels_.size(), 255);
    if (exact_)
        return;
    for (Color& p : pixels_)
        p = format_.storable(p);
}

void PixelBuffer::setPixel(int x, int y, Color c)
{
    if (!contains(x, y))
        return;
    pixels_[index(x, y)] = storable(c);
    makeOpaque(index(x, y), index(x, y) + 1);
}

void PixelBuffer::setAlpha(int x, int y, std::uint8_t a)
{
    if (contains(x, y) && !alpha_.empty())
        alpha_[index(x, y)] = a;
}

void PixelBuffer::makeOpaque(std::size_t from, std::size_t to)
{
    if (!alpha_.empty())
        std::fill(alpha_.begin() + std::ptrdiff_t(from), alpha_.begin() + std::ptrdiff_t(to), std::uint8_t(255));
}

void PixelBuffer::applyPixel(int x, int y, Color pen, RasterOp op)
{
    if (!contains(x, y))
        return;
    Color& p = pixels_[index(x, y)];
    if (op == RasterOp::NotXor && format_.isIndexed() && !format_.palette.empty()) {
        // A bitmap with a colour table combines the table indices, as the
        // display does, so that a second drawing brings every pixel back.
        const unsigned mask = (1u << format_.bitsPerPixel) - 1u;
        const unsigned result = ~(unsigned(format_.nearestIndex(p)) ^ unsigned(format_.nearestIndex(pen))) & mask;
        // An index beyond a short table shows as its last entry.
        p = format_.palette[std::min<std::size_t>(result, format_.palette.size() - 1)];
        return;
    }
    p = storable(combine(p, pen, op));
    if (op == RasterOp::Copy)
        makeOpaque(index(x, y), index(x, y) + 1);
}

void PixelBuffer::fillRect(int left, int top, int right, int bottom, Color c)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    if (left >= right || top >= bottom)
        return;
    const Color value = storable(c);
    for (int y = top; y < bottom; ++y) {
        std::fill(row(y) + left, row(y) + right, value);
        makeOpaque(index(left, y), index(right, y));
    }
}

void PixelBuffer::fill(Color c)
{
    std::fill(pixels_.begin(), pixels_.end(), storable(c));
    makeOpaque(0, pixels_.size());
}

} // namespace pimoko
