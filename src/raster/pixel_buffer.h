#pragma once

#include "raster/color.h"
#include "raster/pixel_format.h"

#include <cstdint>
#include <vector>

namespace pimoko {

// A rectangular grid of colour values, top row first. Every pixel holds a
// 0x00BBGGRR colour that the buffer's pixel format can store, so what is read
// back is what the format keeps: exactly what was written for true-colour
// buffers, the nearest palette entry or truncated channels for the formats of
// opened bitmaps. Writes outside the buffer are ignored.
class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(int width, int height, Color fill = kWhite, PixelFormat format = PixelFormat::trueColor32());

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    const PixelFormat& format() const { return format_; }
    // Re-stores every pixel in the new format.
    void convertTo(PixelFormat format);

    // The colour of pixel (x, y); (x, y) must lie inside the buffer.
    Color pixel(int x, int y) const { return pixels_[index(x, y)]; }
    // The colour of pixel (x, y), or `outside` when it lies beyond the edges.
    Color pixelOr(int x, int y, Color outside) const { return contains(x, y) ? pixel(x, y) : outside; }

    // Writing a colour (setPixel, a Copy by applyPixel, fillRect, fill) makes
    // the pixel opaque; NOT-XOR keeps its alpha, so a figure drawn twice
    // leaves the buffer as it was.
    void setPixel(int x, int y, Color c);
    // Combines the pen colour with pixel (x, y) by the raster operation;
    // NOT-XOR on an indexed buffer combines the colour-table indices.
    void applyPixel(int x, int y, Color pen, RasterOp op);

    // Fills the half-open rectangle [left, right) x [top, bottom), clipped.
    void fillRect(int left, int top, int right, int bottom, Color c);
    void fill(Color c);

    // The alpha of each pixel, kept only for a format with an alpha mask:
    // 255 (opaque) for a new buffer and for every pixel written, as read for
    // a bitmap's pixels. Without an alpha mask every pixel reads 255 and
    // setAlpha does nothing.
    bool hasAlpha() const { return !alpha_.empty(); }
    std::uint8_t alpha(int x, int y) const { return alpha_.empty() ? 255 : alpha_[index(x, y)]; }
    void setAlpha(int x, int y, std::uint8_t a);

    // The colour the buffer stores when c is written.
    Color storable(Color c) const { return exact_ ? (c & 0xFFFFFF) : format_.storable(c); }

    const Color* row(int y) const { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
    Color* row(int y) { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
    const Color* data() const { return pixels_.data(); }
    Color* data() { return pixels_.data(); }

    bool operator==(const PixelBuffer& other) const
    {
        return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_
            && alpha_ == other.alpha_;
    }

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width_) + std::size_t(x); }
    void makeOpaque(std::size_t from, std::size_t to);

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_;
    bool exact_ = true;
    std::vector<Color> pixels_;
    std::vector<std::uint8_t> alpha_;
};

} // namespace pimoko
