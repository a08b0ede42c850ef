#include "files/codec/icon_packer.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_writer.h"
#include "files/codec/icon_file_writer.h"
#include "files/codec/png_chunks.h"
#include "files/codec/png_file.h"
#include "raster/pixel_format.h"
#include "raster/standard_colors.h"

#include <algorithm>
#include <string>

namespace pimoko {

namespace {

// What a fully transparent pixel is stored as.
Rgba storedPixel(Rgba p)
{
    return p.a == 0 ? kClear : p;
}

bool isStandardColor(Color c)
{
    return std::find(kStandardColors.begin(), kStandardColors.end(), c) != kStandardColors.end();
}

bool alphaIsAllOrNothing(const RgbaImage& image)
{
    return std::all_of(image.pixels().begin(), image.pixels().end(), [](Rgba p) { return p.a == 0 || p.a == 255; });
}

std::string number(long long value)
{
    return std::to_string(value);
}

std::string sizeText(const RgbaImage& image)
{
    return number(image.width()) + " x " + number(image.height());
}

[[noreturn]] void refuse(const std::string& text)
{
    throw FileError(text);
}

void checkImages(std::span<const RgbaImage> images, std::optional<Point> hotspot,
                 const std::vector<IconStorage>& storages)
{
    for (std::size_t i = 0; i < images.size(); ++i) {
        const RgbaImage& image = images[i];
        const std::string which = number(long(i) + 1) + " 番目の画像";
        if (hotspot
            && (hotspot->x < 0 || hotspot->y < 0 || hotspot->x >= image.width() || hotspot->y >= image.height()))
            refuse("ホットスポット（" + number(hotspot->x) + ", " + number(hotspot->y) + "）が " + which + "（"
                   + sizeText(image) + "）の外にあります");
        for (std::size_t j = 0; j < i; ++j) {
            if (images[j].width() == image.width() && images[j].height() == image.height()
                && storageBits(storages[j]) == storageBits(storages[i]))
                refuse(number(long(j) + 1) + " 番目と " + which + "は大きさ（" + sizeText(image) + "）も色の深さ（"
                       + number(storageBits(storages[i])) + " ビット）も同じです");
        }
    }
}

// The bitmap of one image, in the storage's bits; at 4 and 8 bits with the
// table given, else with the standard colours or the image's own.
std::vector<std::uint8_t> bitmapData(const RgbaImage& image, IconStorage storage, std::span<const Color> given)
{
    std::vector<Color> table(given.begin(), given.end());
    if (!table.empty() && storage != IconStorage::Bgra32) {
        const PixelFormat format = PixelFormat::indexed(storageBits(storage), table);
        return iconBitmapData(
            image.width(), image.height(), storageBits(storage), table,
            [&](int x, int y) { return std::uint32_t(format.nearestIndex(colorOf(storedPixel(image.pixel(x, y))))); },
            [&](int x, int y) { return image.pixel(x, y).a == 0; });
    }
    if (storage == IconStorage::Indexed4)
        table.assign(kStandardColors.begin(), kStandardColors.end());
    else if (storage == IconStorage::Indexed8)
        table = storedColors(image);
    else
        table.clear();
    const auto value = [&](int x, int y) -> std::uint32_t {
        const Rgba p = storedPixel(image.pixel(x, y));
        switch (storage) {
        case IconStorage::Indexed4:
            return std::uint32_t(nearestStandardColorIndex(colorOf(p)));
        case IconStorage::Indexed8:
            return std::uint32_t(std::lower_bound(table.begin(), table.end(), colorOf(p)) - table.begin());
        default:
            return std::uint32_t(p.b) | std::uint32_t(p.g) << 8 | std::uint32_t(p.r) << 16 | std::uint32_t(p.a) << 24;
        }
    };
    return iconBitmapData(image.width(), image.height(), storageBits(storage), table, value,
                          [&](int x, int y) { return image.pixel(x, y).a == 0; });
}

std::vector<std::uint8_t> imageData(const RgbaImage& image, IconStorage storage,
                                    std::span<const std::uint8_t> sourcePng)
{
    if (storage == IconStorage::Png && !sourcePng.empty() && showsPixelsAsRead(sourcePng, kMaxIconSide))
        return {sourcePng.begin(), sourcePng.end()};
    return iconImageData(image, storage);
}

// The storage of the image counted `index` from 0, refused when it has no
// pixels or a side above kMaxPackedSide.
IconStorage checkedStorage(const RgbaImage& image, std::size_t index)
{
    if (image.isEmpty() || image.width() > kMaxPackedSide || image.height() > kMaxPackedSide)
        refuse(number(long(index) + 1) + " 番目の画像（" + sizeText(image) + "）はアイコンに入りません（"
               + number(kMaxPackedSide) + " x " + number(kMaxPackedSide) + " まで）");
    return chooseIconStorage(image);
}

IconFileImage packedEntry(const RgbaImage& image, IconStorage storage, std::optional<Point> cursorHotspot,
                          std::span<const std::uint8_t> sourcePng)
{
    IconFileImage entry;
    entry.width = image.width();  // 256 as 0
    entry.height = image.height();
    // A 4-bit image's entry is the one the editor's icon writer makes.
    const bool editorForm = storage == IconStorage::Indexed4;
    entry.colorCount = editorForm ? 4 : 0;
    entry.planes = cursorHotspot ? cursorHotspot->x : editorForm ? 0 : 1;
    entry.bitCount = cursorHotspot ? cursorHotspot->y : editorForm ? 0 : storageBits(storage);
    entry.data = imageData(image, storage, sourcePng);
    return entry;
}

std::vector<std::uint8_t> writtenWithinCap(int type, std::span<const IconFileImage> images)
{
    std::uint64_t size = kIconFileHeaderSize + kIconDirEntrySize * std::uint64_t(images.size());
    for (const IconFileImage& image : images)
        size += image.data.size();
    if (size > kMaxIconFileSize)
        refuse("アイコンが大きすぎます（" + number(static_cast<long long>(size)) + " バイト、"
               + number(static_cast<long long>(kMaxIconFileSize)) + " バイトまで）");
    return iconFileBytes(type, images);
}

} // namespace

std::vector<Color> storedColors(const RgbaImage& image)
{
    std::vector<Color> colors;
    colors.reserve(image.pixels().size());
    for (Rgba p : image.pixels())
        colors.push_back(colorOf(storedPixel(p)));
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());
    return colors;
}

std::vector<std::uint8_t> iconImageData(const RgbaImage& image, IconStorage storage, std::span<const Color> table)
{
    if (storage != IconStorage::Png)
        return bitmapData(image, storage, table);
    RgbaImage stored(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            stored.setPixel(x, y, storedPixel(image.pixel(x, y)));
    return pngFileBytes(stored, PngChannels::Rgba);
}

IconStorage chooseIconStorage(const RgbaImage& image)
{
    if (image.width() == kMaxPackedSide || image.height() == kMaxPackedSide)
        return IconStorage::Png;
    if (!alphaIsAllOrNothing(image))
        return IconStorage::Bgra32;
    const std::vector<Color> colors = storedColors(image);
    if (std::all_of(colors.begin(), colors.end(), isStandardColor))
        return IconStorage::Indexed4;
    return colors.size() <= 256 ? IconStorage::Indexed8 : IconStorage::Bgra32;
}

int storageBits(IconStorage storage)
{
    switch (storage) {
    case IconStorage::Indexed4:
        return 4;
    case IconStorage::Indexed8:
        return 8;
    case IconStorage::Bgra32:
    case IconStorage::Png:
        break;
    }
    return 32;
}

std::vector<std::uint8_t> packIconFile(std::span<const RgbaImage> images, std::optional<Point> cursorHotspot,
                                       std::span<const std::vector<std::uint8_t>> sourcePngs)
{
    if (images.empty())
        refuse("アイコンにする画像がありません");
    if (images.size() > std::size_t(kMaxPackedImages))
        refuse("一つのアイコンに入れられる画像は " + number(kMaxPackedImages) + " 枚までです（" + number(long(images.size()))
               + " 枚あります）");
    std::vector<IconStorage> storages;
    for (std::size_t i = 0; i < images.size(); ++i)
        storages.push_back(checkedStorage(images[i], i));
    checkImages(images, cursorHotspot, storages);

    std::vector<IconFileImage> stored;
    for (std::size_t i = 0; i < images.size(); ++i)
        stored.push_back(packedEntry(images[i], storages[i], cursorHotspot,
                                     i < sourcePngs.size() ? std::span<const std::uint8_t>(sourcePngs[i])
                                                           : std::span<const std::uint8_t>()));
    return writtenWithinCap(cursorHotspot ? kCursorFileType : kIconFileType, stored);
}

std::vector<std::uint8_t> iconFileWithImage(std::span<const std::uint8_t> file, const RgbaImage& image,
                                            std::span<const std::uint8_t> sourcePng)
{
    const IconDirectory directory = readIconDirectory(file);
    if (directory.type != kIconFileType)
        refuse(kInvalidIconText);
    const std::vector<DecodedIconImage> held = decodeIconFileImages(file, StoredPngs::Checked);
    std::vector<IconFileImage> stored = storedIconImages(file, directory);
    const IconStorage storage = checkedStorage(image, 0);
    IconFileImage entry = packedEntry(image, storage, std::nullopt, sourcePng);
    const auto same = std::find_if(held.begin(), held.end(), [&](const DecodedIconImage& h) {
        return h.width == image.width() && h.height == image.height() && h.bits == storageBits(storage);
    });
    if (same == held.end() && stored.size() >= std::size_t(kMaxPackedImages))
        refuse("一つのアイコンに入れられる画像は " + number(kMaxPackedImages) + " 枚までです（" + number(long(stored.size()) + 1)
               + " 枚になります）");
    if (same == held.end())
        stored.push_back(std::move(entry));
    else
        stored[std::size_t(same - held.begin())] = std::move(entry);
    return writtenWithinCap(kIconFileType, stored);
}

} // namespace pimoko
