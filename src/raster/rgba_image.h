#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pimoko {

// One pixel with straight (not premultiplied) alpha, 8 bits a channel;
// alpha 0 is fully transparent, 255 fully opaque.
struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
    friend bool operator==(Rgba, Rgba) = default;
};

// Transparent black: what a pixel without a colour of its own holds.
inline constexpr Rgba kClear{};

constexpr Rgba opaqueRgba(Color c)
{
    return {std::uint8_t(redOf(c)), std::uint8_t(greenOf(c)), std::uint8_t(blueOf(c)), 255};
}
constexpr Color colorOf(Rgba p) { return rgb(p.r, p.g, p.b); }

// A picture with alpha, top row first: the pictures of PNG files, of every
// image inside an icon, and of what is packed into one.
class RgbaImage {
public:
    RgbaImage() = default;
    RgbaImage(int width, int height, Rgba fill = kClear);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }

    // (x, y) must lie inside the picture.
    Rgba pixel(int x, int y) const { return pixels_[index(x, y)]; }
    void setPixel(int x, int y, Rgba p) { pixels_[index(x, y)] = p; }
    const Rgba* row(int y) const { return pixels_.data() + index(0, y); }
    Rgba* row(int y) { return pixels_.data() + index(0, y); }
    const std::vector<Rgba>& pixels() const { return pixels_; }

    // Whether every alpha value is 255.
    bool isOpaque() const;

    friend bool operator==(const RgbaImage&, const RgbaImage&) = default;

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width_) + std::size_t(x); }

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgba> pixels_;
};

// The picture as it is, every pixel opaque: what the editor shows.
RgbaImage opaqueRgbaImage(const PixelBuffer& picture);

// The picture as the editor saves it as an icon: every pixel of the
// top-left pixel's colour (transparentColorOf) becomes kClear, every other
// pixel is opaque.
RgbaImage rgbaImageWithTransparentCorner(const PixelBuffer& picture);

} // namespace pimoko
