#include "files/codec/icon_images.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/byte_source.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_decode.h"
#include "files/codec/icon_png.h"
#include "files/codec/pe_icon_group.h"
#include "files/codec/png_chunks.h"
#include "files/codec/png_file.h"
#include "files/codec/system_reason.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace pimoko {

namespace {

[[noreturn]] void refuse()
{
    throw FileError(kInvalidIconText);
}

DecodedIconImage decodeEntry(std::span<const std::uint8_t> file, const IconDirEntry& entry, StoredPngs pngs)
{
    return decodeIconImageData(BoundedBytes<refuse>(file).slice(entry.dataOffset, entry.dataSize), pngs);
}

} // namespace

void checkImageAmount(std::size_t count, std::uint64_t dataSize)
{
    if (count > kMaxDecodedImages || dataSize > kMaxIconFileSize)
        throw FileError(fileProblemText(FileProblem::TooLarge));
}

RgbaImage rgbaFromIconImage(const IconImage& image)
{
    RgbaImage result(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgba opaque = opaqueRgba(image.color(x, y));
            if (image.hasAlpha())
                result.setPixel(x, y, {opaque.r, opaque.g, opaque.b, image.alpha[image.index(x, y)]});
            else if (!image.isMasked(x, y))
                result.setPixel(x, y, opaque);
        }
    }
    return result;
}

DecodedIconImage decodeIconImageData(std::span<const std::uint8_t> data, StoredPngs pngs)
{
    if (hasPngSignature(data)) {
        std::vector<std::uint8_t> stored(data.begin(), data.end());
        if (pngs == StoredPngs::Checked) {
            const PngSize size = readingIconPng([&] { return checkPngChunks(data, kMaxIconSide); });
            return {size.width, size.height, 32, {}, std::move(stored)};
        }
        // Straight into a picture with alpha, as the image already is one.
        RgbaImage image = readingIconPng([&] { return readPngFile(data, kMaxIconSide); });
        return {image.width(), image.height(), 32, std::move(image), std::move(stored)};
    }
    IconDirEntry whole;
    whole.dataSize = std::uint32_t(data.size());
    const IconImage image = decodeIconImage(data, whole);
    return {image.width, image.height, image.bitCount, rgbaFromIconImage(image), {}};
}

std::vector<DecodedIconImage> decodeIconFileImages(std::span<const std::uint8_t> file, StoredPngs pngs)
{
    const IconDirectory directory = readIconDirectory(file);
    if (directory.type != kIconFileType && directory.type != kCursorFileType)
        refuse();
    std::uint64_t dataSize = 0;
    for (const IconDirEntry& entry : directory.entries)
        dataSize += entry.dataSize;
    checkImageAmount(directory.entries.size(), dataSize);
    std::vector<DecodedIconImage> images;
    for (const IconDirEntry& entry : directory.entries)
        images.push_back(decodeEntry(file, entry, pngs));
    return images;
}

std::vector<DecodedIconImage> decodeProgramIconImages(const ByteSource& file, StoredPngs pngs)
{
    const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
    if (!group || group->members.empty())
        throw FileError(kNoProgramIconText);
    std::uint64_t dataSize = 0;
    for (const ProgramIconGroup::Member& member : group->members) {
        if (!member.found)
            refuse();
        dataSize += member.entry.dataSize;
    }
    checkImageAmount(group->members.size(), dataSize);
    std::vector<DecodedIconImage> images;
    for (const ProgramIconGroup::Member& member : group->members) {
        const std::vector<std::uint8_t> data = fetchBytes<refuse>(file, member.entry.dataOffset, member.entry.dataSize);
        images.push_back(decodeIconImageData(data, pngs));
    }
    return images;
}

std::vector<DecodedIconImage> decodeProgramIconImages(std::span<const std::uint8_t> file)
{
    return decodeProgramIconImages(SpanSource(file));
}

std::size_t chooseThumbnailImage(std::span<const DecodedIconImage> images, int size)
{
    const auto side = [](const DecodedIconImage& image) { return std::max(image.width, image.height); };
    // Greater is better among images of the same larger side.
    const auto rank = [](const DecodedIconImage& image) {
        return std::tuple(std::int64_t(image.width) * image.height, image.bits);
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < images.size(); ++i) {
        const int candidate = side(images[i]);
        const int current = side(images[best]);
        const bool better = candidate == current
            ? rank(images[i]) > rank(images[best])
            : (current >= size ? candidate >= size && candidate < current : candidate > current);
        if (better)
            best = i;
    }
    return best;
}

} // namespace pimoko
