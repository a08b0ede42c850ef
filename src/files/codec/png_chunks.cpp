#include "files/codec/png_chunks.h"

#include "files/codec/file_error.h"
#include "files/codec/png_file.h"
#include "files/codec/png_signature.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include <zlib.h>

namespace pimoko {

namespace {

constexpr std::size_t kHeaderData = 16;  // after the signature, IHDR's length and name
constexpr std::size_t kHeaderLength = 13;
constexpr std::uint32_t kLargestLength = 0x7FFFFFFF;

std::uint32_t u32At(std::span<const std::uint8_t> file, std::size_t at)
{
    return std::uint32_t(file[at]) << 24 | std::uint32_t(file[at + 1]) << 16 | std::uint32_t(file[at + 2]) << 8
        | file[at + 3];
}

std::string_view nameAt(std::span<const std::uint8_t> file, std::size_t at)
{
    return {reinterpret_cast<const char*>(&file[at]), 4};
}

bool startsWithHeader(std::span<const std::uint8_t> file)
{
    return file.size() >= kHeaderData + kHeaderLength + 4
        && hasPngSignature(file) && u32At(file, 8) == kHeaderLength
        && nameAt(file, 12) == "IHDR";
}

// CRC-32 as PNG defines it (ISO 3309), four bytes at a time: table[k][n]
// is the CRC of byte n followed by k zero bytes.
constexpr std::array<std::array<std::uint32_t, 256>, 4> kCrcTables = [] {
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 4; ++k)
        for (std::size_t n = 0; n < 256; ++n)
            tables[k][n] = tables[0][tables[k - 1][n] & 0xFF] ^ (tables[k - 1][n] >> 8);
    return tables;
}();

std::uint32_t crcOf(std::span<const std::uint8_t> bytes)
{
    const auto& t = kCrcTables;
    std::uint32_t c = 0xFFFFFFFFu;
    std::size_t i = 0;
    for (; bytes.size() - i >= 4; i += 4) {
        c ^= std::uint32_t(bytes[i]) | std::uint32_t(bytes[i + 1]) << 8 | std::uint32_t(bytes[i + 2]) << 16
            | std::uint32_t(bytes[i + 3]) << 24;
        c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
    }
    for (; i < bytes.size(); ++i)
        c = t[0][(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The bit depths each colour type allows.
bool depthFitsColourType(int depth, int colourType)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

[[noreturn]] void refuse()
{
    throw FileError(kInvalidPngText);
}

// The one walk over a PNG file's chunks, with the rules of checkPngChunks:
// calls seen(name, data) for every chunk from IHDR to IEND and gives the
// picture's size and where IEND ends.
struct WalkedPng {
    PngSize size;
    std::size_t end;
};

template <typename Seen>
WalkedPng walkPngChunks(std::span<const std::uint8_t> file, int maxSide, Seen seen)
{
    if (!startsWithHeader(file))
        refuse();
    const std::uint32_t width = u32At(file, kHeaderData);
    const std::uint32_t height = u32At(file, kHeaderData + 4);
    const int depth = file[kHeaderData + 8];
    const int colourType = file[kHeaderData + 9];
    if (width == 0 || height == 0 || width > kLargestLength || height > kLargestLength
        || !depthFitsColourType(depth, colourType) || file[kHeaderData + 10] != 0 || file[kHeaderData + 11] != 0
        || file[kHeaderData + 12] > 1)
        refuse();
    bool palette = false;
    enum class ImageData { NotYet, Reading, Done } imageData = ImageData::NotYet;
    for (std::size_t at = kPngSignature.size(); file.size() - at >= 12;) {
        const std::uint32_t length = u32At(file, at);
        const std::string_view name = nameAt(file, at + 4);
        if (length > kLargestLength || length > file.size() - at - 12 || !std::all_of(name.begin(), name.end(), isLetter)
            || crcOf(file.subspan(at + 4, 4 + std::size_t(length))) != u32At(file, at + 8 + length))
            refuse();
        seen(name, file.subspan(at + 8, length));
        if (name == "IDAT") {
            if (imageData == ImageData::Done || (colourType == 3 && !palette))
                refuse();
            imageData = ImageData::Reading;
        } else if (imageData == ImageData::Reading) {
            imageData = ImageData::Done;
        }
        if (name == "IEND") {
            if (imageData == ImageData::NotYet)
                refuse();
            if (width > std::uint32_t(maxSide) || height > std::uint32_t(maxSide))
                throw FileError(pngTooLargeText(int(width), int(height), maxSide));
            return {{int(width), int(height)}, at + 12 + length};
        }
        if (name == "PLTE")
            palette = true;
        // A critical chunk (its name's first letter a capital) not known here.
        const bool known = name == "IHDR" ? at == kPngSignature.size() : name == "PLTE" || name == "IDAT";
        if (!known && name[0] >= 'A' && name[0] <= 'Z')
            refuse();
        at += 12 + std::size_t(length);
    }
    refuse();  // no IEND
}

// Whether a chunk leaves the pixels as read: the header, the image data and
// the end, text, time, pixel size, a background colour (for viewers of the
// file alone), and the statements that the colours are sRGB's, which a
// reader on an sRGB screen applies as no change.
bool leavesPixelsAsRead(std::string_view name, std::span<const std::uint8_t> data)
{
    static constexpr std::string_view harmless[] = {"IHDR", "IDAT", "IEND", "tEXt", "zTXt",
                                                    "iTXt", "tIME", "pHYs", "bKGD", "sRGB"};
    static constexpr std::uint32_t srgbGamma = 45455;
    static constexpr std::uint32_t srgbChromaticities[] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
    if (std::find(std::begin(harmless), std::end(harmless), name) != std::end(harmless))
        return true;
    if (name == "gAMA")
        return data.size() == 4 && u32At(data, 0) == srgbGamma;
    if (name != "cHRM" || data.size() != 32)
        return false;
    for (std::size_t i = 0; i < 8; ++i)
        if (u32At(data, 4 * i) != srgbChromaticities[i])
            return false;
    return true;
}

} // namespace

std::optional<PngSize> statedPngSize(std::span<const std::uint8_t> file)
{
    if (!startsWithHeader(file))
        return std::nullopt;
    return PngSize{int(std::min(u32At(file, kHeaderData), kLargestLength)),
                   int(std::min(u32At(file, kHeaderData + 4), kLargestLength))};
}

PngSize checkPngChunks(std::span<const std::uint8_t> file, int maxSide)
{
    return walkPngChunks(file, maxSide, [](std::string_view, std::span<const std::uint8_t>) {}).size;
}

bool showsPixelsAsRead(std::span<const std::uint8_t> file, int maxSide)
{
    // IHDR's depth and colour type at 8 and 9, interlace at 12.
    if (!startsWithHeader(file) || file[kHeaderData + 8] != 8 || file[kHeaderData + 9] != 6
        || file[kHeaderData + 12] != 0)
        return false;
    bool leavesPixels = true;
    const auto seen = [&](std::string_view name, std::span<const std::uint8_t> data) {
        leavesPixels = leavesPixels && leavesPixelsAsRead(name, data);
    };
    try {
        const WalkedPng walked = walkPngChunks(file, maxSide, seen);
        return leavesPixels && walked.end == file.size();
    } catch (const FileError&) {
        return false;
    }
}

bool inflatesToPixelsAsRead(std::span<const std::uint8_t> file, int maxSide)
{
    if (!showsPixelsAsRead(file, maxSide))
        return false;
    const std::uint64_t rowSize = 1 + 4 * std::uint64_t(u32At(file, kHeaderData));
    const std::uint64_t expected = rowSize * u32At(file, kHeaderData + 4);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    std::array<std::uint8_t, 32 << 10> buffer;
    std::uint64_t inflated = 0;
    int status = Z_OK;
    bool filtersKnown = true;
    // The walk above found every chunk within the file.
    for (std::size_t at = kPngSignature.size(); filtersKnown && at + 12 <= file.size();) {
        const std::uint32_t length = u32At(file, at);
        if (nameAt(file, at + 4) == "IDAT") {
            stream.next_in = const_cast<Bytef*>(file.data() + at + 8);
            stream.avail_in = length;
            while (status == Z_OK && filtersKnown && (stream.avail_in > 0 || stream.avail_out == 0)) {
                stream.next_out = buffer.data();
                stream.avail_out = buffer.size();
                status = inflate(&stream, Z_NO_FLUSH);
                const std::size_t got = buffer.size() - stream.avail_out;
                // The filter byte of each row that begins in this piece.
                for (std::uint64_t row = (inflated + rowSize - 1) / rowSize * rowSize; row < inflated + got;
                     row += rowSize)
                    filtersKnown = filtersKnown && row < expected && buffer[std::size_t(row - inflated)] <= 4;
                inflated += got;
                if (status == Z_BUF_ERROR && stream.avail_in == 0)
                    status = Z_OK;  // this chunk is used up; the stream goes on in the next
            }
            // Data after the stream's end.
            if (stream.avail_in > 0)
                filtersKnown = false;
        }
        at += 12 + std::size_t(length);
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && filtersKnown && inflated == expected;
}

} // namespace pimoko
