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
constexpr std::uint32_t kCompressionAlphaBitfields = 6; // BI_ALPHABITFIELDS
// Where a longer header holds its colour space and profile fields, counted
// from the start of the info header.
constexpr std::size_t kColorSpaceField = 56;
constexpr std::size_t kProfileOffsetField = 112;
constexpr std::size_t kProfileSizeField = 116;
constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'

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
        const std::uint32_t r = format.redMask, g = format.greenMask, b = format.blueMask, a = format.alphaMask;
        const std::uint32_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        if (!isOneRun(r) || !isOneRun(g) || !isOneRun(b) || (r & g) || (r & b) || (g & b) || ((r | g | b) & ~limit)
            || (a != 0 && (!isOneRun(a) || (a & (r | g | b)) || (a & ~limit))))
            throw std::invalid_argument("bitmap channel masks not writable");
    } else if (format.alphaMask != 0) {
        throw std::invalid_argument("alpha mask on a depth without masks");
    }
}

void putU32At(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | (std::uint32_t(bytes[at + 1]) << 8) | (std::uint32_t(bytes[at + 2]) << 16)
        | (std::uint32_t(bytes[at + 3]) << 24);
}

// The info header after its first 40 bytes as it is written: the kept tail
// with the format's masks where it has room for them. A tail too short for
// the masks the format needs is dropped for the 40-byte header.
std::vector<std::uint8_t> headerTailFor(const PixelFormat& format, bool bitfields)
{
    std::vector<std::uint8_t> tail = format.headerTail;
    const std::size_t maskBytes = format.alphaMask != 0 ? 16 : 12;
    if (!bitfields || tail.empty())
        return tail;
    if (tail.size() < maskBytes)
        return {};
    putU32At(tail, 0, format.redMask);
    putU32At(tail, 4, format.greenMask);
    putU32At(tail, 8, format.blueMask);
    if (tail.size() >= 16)
        putU32At(tail, 12, format.alphaMask);
    return tail;
}

// Whether the header states a profile, in the file or by name; its place
// is written once the pixels' size is known.
bool statesProfile(const std::vector<std::uint8_t>& tail)
{
    const std::size_t at = kColorSpaceField - kInfoHeaderSize;
    if (tail.size() < kProfileSizeField + 4 - kInfoHeaderSize)
        return false;
    const std::uint32_t space = u32At(tail, at);
    return space == kProfileEmbedded || space == kProfileLinked;
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

std::vector<std::uint8_t> bitmapFileBytes(const PixelBuffer& image)
{
    if (image.isEmpty())
        throw std::invalid_argument("empty bitmap");
    const PixelFormat& format = image.format();
    checkFormat(format);
    const int bits = format.bitsPerPixel;
    const int width = image.width();
    const int height = image.height();

    const bool bitfields = usesBitfields(format) || format.alphaMask != 0;
    std::vector<std::uint8_t> tail = headerTailFor(format, bitfields);
    const std::uint32_t infoSize = kInfoHeaderSize + std::uint32_t(tail.size());
    // Masks the header has no room for follow it, the alpha mask among them
    // under BI_ALPHABITFIELDS.
    const std::uint64_t masksAfter = !bitfields || !tail.empty() ? 0 : format.alphaMask != 0 ? 16 : 12;
    const std::uint64_t paletteEntries = format.isIndexed() ? std::max<std::size_t>(format.palette.size(), 1) : 0;
    const std::uint64_t tableSize = masksAfter + 4 * paletteEntries;
    const std::uint64_t stride = bitmapRowStride(width, bits);
    const std::uint64_t pixelSize = stride * std::uint64_t(height);
    const std::uint64_t pixelOffset = kFileHeaderSize + infoSize + tableSize;
    const bool profile = statesProfile(tail);
    const std::uint64_t profileSize = profile ? format.colorProfile.size() : 0;
    const std::uint64_t fileSize = pixelOffset + pixelSize + profileSize;
    if (profile) {
        // The profile follows the pixels, counted from the info header.
        putU32At(tail, kProfileOffsetField - kInfoHeaderSize,
                 profileSize == 0 ? 0 : std::uint32_t(pixelOffset + pixelSize - kFileHeaderSize));
        putU32At(tail, kProfileSizeField - kInfoHeaderSize, std::uint32_t(profileSize));
    }
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

    put.u32(infoSize);
    put.u32(std::uint32_t(width));
    put.u32(std::uint32_t(height));  // positive: rows bottom-up
    put.u16(1);                      // planes
    put.u16(std::uint32_t(bits));
    put.u32(!bitfields ? kCompressionNone : masksAfter == 16 ? kCompressionAlphaBitfields : kCompressionBitfields);
    put.u32(std::uint32_t(pixelSize));
    put.u32(0);  // horizontal resolution
    put.u32(0);  // vertical resolution
    put.u32(std::uint32_t(paletteEntries));
    put.u32(0);  // colours important

    out.insert(out.end(), tail.begin(), tail.end());
    if (masksAfter != 0) {
        put.u32(format.redMask);
        put.u32(format.greenMask);
        put.u32(format.blueMask);
        if (masksAfter == 16)
            put.u32(format.alphaMask);
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
    const std::uint32_t alphaMask = format.alphaMask;
    const Channel alpha(alphaMask == 0 ? 1 : alphaMask);
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
                std::uint32_t value = red.place(redOf(c)) | green.place(greenOf(c)) | blue.place(blueOf(c));
                if (alphaMask != 0)
                    value |= alpha.place(image.alpha(x, y));
                for (int i = 0; i < bytes; ++i)
                    *dest++ = std::uint8_t(value >> (8 * i));
            }
        }
    }
    if (profileSize != 0)
        std::copy(format.colorProfile.begin(), format.colorProfile.end(), out.begin() + std::ptrdiff_t(fileSize - profileSize));
    return out;
}

} // namespace pimoko
