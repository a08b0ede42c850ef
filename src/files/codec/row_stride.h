#pragma once

#include <cstdint>

namespace pimoko {

// Bytes in one stored row of a bitmap or icon image of `width` pixels at
// `bits` per pixel: padded to a multiple of 4.
constexpr std::uint64_t bitmapRowStride(std::int64_t width, int bits)
{
    return (std::uint64_t(width) * std::uint64_t(bits) + 31) / 32 * 4;
}

} // namespace pimoko
