#include "files/codec/icon_packer.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_writer.h"
#include "files/codec/icon_file_writer.h"
#include "files/codec/png_chunks.h"
#include "files/codec/png_file.h"
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

// Every colour stored for the pixels, ascending: transparent pixels count
// as black.
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

// The bitmap of one image, in the storage's bits.
std::vector<std::uint8_t> bitmapData(const RgbaImage& image, IconStorage storage)
{
    std::vector<Color> table;
    if (storage == IconStorage::Indexed4)
        table.assign(kStandardColors.begin(), kStandardColors.end());
    else if (storage == IconStorage::Indexed8)
        table = storedColors(image);
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
    if (storage != IconStorage::Png)
        return bitmapData(image, storage);
    if (!sourcePng.empty() && showsPixelsAsRead(sourcePng, kMaxIconSide))
        return {sourcePng.begin(), sourcePng.end()};
    RgbaImage stored(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            stored.setPixel(x, y, storedPixel(image.pixel(x, y)));
    return writePngFile(stored, PngChannels::Rgba);
}

} // namespace

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
    for (std::size_t i = 0; i < images.size(); ++i) {
        const RgbaImage& image = images[i];
        if (image.isEmpty() || image.width() > kMaxPackedSide || image.height() > kMaxPackedSide)
            refuse(number(long(i) + 1) + " 番目の画像（" + sizeText(image) + "）はアイコンに入りません（"
                   + number(kMaxPackedSide) + " x " + number(kMaxPackedSide) + " まで）");
        storages.push_back(chooseIconStorage(image));
    }
    checkImages(images, cursorHotspot, storages);

    std::vector<IconFileImage> stored;
    std::uint64_t size = kIconFileHeaderSize + kIconDirEntrySize * std::uint64_t(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        IconFileImage entry;
        entry.width = images[i].width();  // 256 as 0
        entry.height = images[i].height();
        // A 4-bit image's entry is the one the editor's icon writer makes.
        const bool editorForm = storages[i] == IconStorage::Indexed4;
        entry.colorCount = editorForm ? 4 : 0;
        entry.planes = cursorHotspot ? cursorHotspot->x : editorForm ? 0 : 1;
        entry.bitCount = cursorHotspot ? cursorHotspot->y : editorForm ? 0 : storageBits(storages[i]);
        entry.data = imageData(images[i], storages[i],
                               i < sourcePngs.size() ? std::span<const std::uint8_t>(sourcePngs[i])
                                                     : std::span<const std::uint8_t>());
        size += entry.data.size();
        stored.push_back(std::move(entry));
    }
    if (size > kMaxIconFileSize)
        refuse("アイコンが大きすぎます（" + number(static_cast<long long>(size)) + " バイト、"
               + number(static_cast<long long>(kMaxIconFileSize)) + " バイトまで）");
    return writeIconFile(cursorHotspot ? kCursorFileType : kIconFileType, stored);
}

} // namespace pimoko
