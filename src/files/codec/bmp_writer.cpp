#include "files/codec/bmp_writer.h"

#include "files/codec/little_endian_writer.h"
#include "files/codec/row_stride.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace pimoko {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCompressionNone = 0;      // BI_RGB
constexpr std::uint32_t kCompressionBitfields = 3; // BI_BITFIELDS

// Where one colour channel lies in a stored 16- or 32-bit pixel value.
struct Channel {
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t mask)
        : shift(std::countr_zero(mask))
        , bits(std::popcount(mask))
    {
    }

    // The 8-bit channel value placed in the mask: its top bits when the mask
    // is narrower than 8 bits, repeated to fill a wider one.
    std::uint32_t place(int value) const
    {
        std::uint32_t field = 0;
        if (bits <= 8) {
            field = std::uint32_t(value) >> (8 - bits);
        } else {
            for (int filled = 0; filled < bits; filled += 8)
                field = (field << 8) | std::uint32_t(value);
            field >>= (bits + 7) / 8 * 8 - bits;
        }
        return field << shift;
    }
};

bool isOneRun(std::uint32_t mask)
{
    if (mask == 0)
        return false;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

void checkFormat(const PixelFormat& format)
{
    const int bits = format.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw std::invalid_argument("bitmap depth not writable");
    if (format.isIndexed() && format.palette.size() > (std::size_t(1) << bits))
        throw std::invalid_argument("palette longer than the depth can index");
    if (bits == 16 || bits == 32) {
        const std::uint32_t r = format.redMask, g = format.greenMask, b = format.blueMask;
        const std::uint32_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        if (!isOneRun(r) || !isOneRun(g) || !isOneRun(b) || (r & g) || (r & b) || (g & b) || ((r | g | b) & ~limit))
            throw std::invalid_argument("bitmap channel masks not writable");
    }
}

bool usesBitfields(const PixelFormat& format)
{
    // The masks a reader assumes for BI_RGB at these depths.
    const auto masksOf = [](const PixelFormat& f) { return std::array{f.redMask, f.greenMask, f.blueMask}; };
    if (format.bitsPerPixel == 16)
        return masksOf(format) != masksOf(PixelFormat::rgb555());
    if (format.bitsPerPixel == 32)
        return masksOf(format) != masksOf(PixelFormat::trueColor32());
    return false;
}

// Palette index of each pixel colour. The pixels of an indexed buffer are
// palette entries already, so an exact lookup answers almost always; the
// nearest-entry search is kept for anything else.
class PaletteIndex {
public:
    explicit PaletteIndex(const PixelFormat& format)
        : format_(format)
    {
        for (std::size_t i = format.palette.size(); i-- > 0;)
            exact_[format.palette[i]] = int(i);  // the first of equal entries wins
    }

    int operator()(Color c) const
    {
        if (format_.palette.empty())
            return 0;
        const auto found = exact_.find(c);
        return found != exact_.end() ? found->second : format_.nearestIndex(c);
    }

private:
    const PixelFormat& format_;
    std::unordered_map<Color, int> exact_;
};

// Writes one row of palette indices, most significant bits first.
void packIndices(const Color* row, int width, int bits, const PaletteIndex& indexOf, std::uint8_t* out)
{
    const int perByte = 8 / bits;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        out[x / perByte] |= std::uint8_t(indexOf(row[x]) << shift);
    }
}

} // namespace

std::vector<std::uint8_t> writeBitmapFile(const PixelBuffer& image)
{
    if (image.isEmpty())
        throw std::invalid_argument("empty bitmap");
    const PixelFormat& format = image.format();
    checkFormat(format);
    const int bits = format.bitsPerPixel;
    const int width = image.width();
    const int height = image.height();

    const bool bitfields = usesBitfields(format);
    const std::uint64_t paletteEntries = format.isIndexed() ? std::max<std::size_t>(format.palette.size(), 1) : 0;
    const std::uint64_t tableSize = bitfields ? 12 : 4 * paletteEntries;
    const std::uint64_t stride = bitmapRowStride(width, bits);
    const std::uint64_t pixelSize = stride * std::uint64_t(height);
    const std::uint64_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + tableSize;
    const std::uint64_t fileSize = pixelOffset + pixelSize;
    if (fileSize > std::numeric_limits<std::uint32_t>::max())
        throw std::invalid_argument("bitmap too large for its file header");

    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(fileSize));
    LittleEndianWriter put(out);

    put.u8('B');
    put.u8('M');
    put.u32(std::uint32_t(fileSize));
    put.u16(0);
    put.u16(0);
    put.u32(std::uint32_t(pixelOffset));

    put.u32(kInfoHeaderSize);
    put.u32(std::uint32_t(width));
    put.u32(std::uint32_t(height));  // positive: rows bottom-up
    put.u16(1);                      // planes
    put.u16(std::uint32_t(bits));
    put.u32(bitfields ? kCompressionBitfields : kCompressionNone);
    put.u32(std::uint32_t(pixelSize));
    put.u32(0);  // horizontal resolution
    put.u32(0);  // vertical resolution
    put.u32(std::uint32_t(paletteEntries));
    put.u32(0);  // colours important

    if (bitfields) {
        put.u32(format.redMask);
        put.u32(format.greenMask);
        put.u32(format.blueMask);
    }
    for (std::uint64_t i = 0; i < paletteEntries; ++i) {
        const Color c = i < format.palette.size() ? format.palette[std::size_t(i)] : kBlack;
        put.u8(std::uint32_t(blueOf(c)));
        put.u8(std::uint32_t(greenOf(c)));
        put.u8(std::uint32_t(redOf(c)));
        put.u8(0);
    }

    std::size_t at = out.size();
    out.resize(std::size_t(fileSize), 0);
    const Channel red(format.redMask), green(format.greenMask), blue(format.blueMask);
    const PaletteIndex indexOf(format);
    for (int y = height - 1; y >= 0; --y, at += std::size_t(stride)) {
        const Color* row = image.row(y);
        std::uint8_t* dest = out.data() + at;
        if (format.isIndexed()) {
            packIndices(row, width, bits, indexOf, dest);
        } else if (bits == 24) {
            for (int x = 0; x < width; ++x) {
                *dest++ = std::uint8_t(blueOf(row[x]));
                *dest++ = std::uint8_t(greenOf(row[x]));
                *dest++ = std::uint8_t(redOf(row[x]));
            }
        } else {
            const int bytes = bits / 8;
            for (int x = 0; x < width; ++x) {
                const Color c = row[x];
                const std::uint32_t value = red.place(redOf(c)) | green.place(greenOf(c)) | blue.place(blueOf(c));
                for (int i = 0; i < bytes; ++i)
                    *dest++ = std::uint8_t(value >> (8 * i));
            }
        }
    }
    return out;
}

} // namespace pimoko
