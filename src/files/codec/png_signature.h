#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace pimoko {

// The 8 bytes every PNG file begins with.
inline constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Whether data begins with the PNG signature.
inline bool hasPngSignature(std::span<const std::uint8_t> data)
{
    return data.size() >= kPngSignature.size() && std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin());
}

} // namespace pimoko
