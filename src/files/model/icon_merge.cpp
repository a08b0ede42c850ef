#include "files/model/icon_merge.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_file_writer.h"
#include "files/codec/icon_packer.h"
#include "files/codec/system_reason.h"
#include "raster/rgba_image.h"
#include "raster/standard_colors.h"

#include <algorithm>

namespace pimoko {

namespace {

constexpr int kDrawingSide = 32;

std::string number(long long value)
{
    return std::to_string(value);
}

std::string sideText(int width, int height)
{
    return number(width) + " × " + number(height);
}

std::string chosenText(const IconHoldings& holdings)
{
    if (holdings.chosenIsPng)
        return "PNG 形式";
    if (holdings.chosenBits <= 8)
        return number(1LL << holdings.chosenBits) + " 色";
    return "フルカラー";
}

IconStorage chosenStorage(const IconHoldings& holdings)
{
    if (holdings.chosenIsPng)
        return IconStorage::Png;
    return holdings.chosenBits == 4 ? IconStorage::Indexed4
         : holdings.chosenBits == 8 ? IconStorage::Indexed8
                                    : IconStorage::Bgra32;
}

// The colour table the drawing is stored with at 4 or 8 bits: the image's
// own, each colour of the drawing that is not in it taking the place of an
// entry the drawing does not use or that repeats an earlier one (or a place
// the table leaves free); when they do not fit, the image's own table as it
// is, and `fits` false.
struct StoredTable {
    std::vector<Color> colors;
    bool fits = true;
};

StoredTable tableFor(const RgbaImage& drawing, const IconHoldings& holdings)
{
    const std::size_t room = std::size_t(1) << holdings.chosenBits;
    std::vector<Color> table(holdings.chosenTable.begin(),
                             holdings.chosenTable.begin() + std::ptrdiff_t(std::min(room, holdings.chosenTable.size())));
    if (table.empty())
        table.assign(kStandardColors.begin(), kStandardColors.begin() + std::ptrdiff_t(std::min(room, kStandardColors.size())));
    const std::vector<Color> used = storedColors(drawing);
    const auto isUsed = [&](Color c) { return std::binary_search(used.begin(), used.end(), c); };
    std::vector<Color> missing;
    for (Color c : used)
        if (std::find(table.begin(), table.end(), c) == table.end())
            missing.push_back(c);
    const std::vector<Color> own = table;
    // An entry is free when the drawing does not use its colour, or an
    // earlier entry holds the same colour.
    const auto taken = [&](std::size_t i) {
        return isUsed(own[i]) && std::find(own.begin(), own.begin() + std::ptrdiff_t(i), own[i]) == own.begin() + std::ptrdiff_t(i);
    };
    std::size_t next = 0;
    for (Color c : missing) {
        while (next < table.size() && taken(next))
            ++next;
        if (next < table.size())
            table[next++] = c;
        else if (table.size() < room)
            table.push_back(c);
        else
            return {own, false};
    }
    return {table, true};
}

bool isIndexed(IconStorage storage)
{
    return storage == IconStorage::Indexed4 || storage == IconStorage::Indexed8;
}

// Whether every colour of the drawing finds a place in the chosen image's table.
bool drawingFitsTable(const IconHoldings& holdings, const PixelBuffer& drawing)
{
    return !isIndexed(chosenStorage(holdings)) || tableFor(rgbaImageWithTransparentCorner(drawing), holdings).fits;
}

} // namespace

std::optional<IconHoldings> readIconHoldings(const std::string& path)
{
    try {
        return readingWithinMemory(path, [&] {
            const ReadableFile file(path);
            std::optional<IconHoldings> holdings = iconHoldingsBeyondSave(file.readAll(WholeFile::IconLayout));
            if (holdings)
                holdings->stamp = file.stamp();
            return holdings;
        });
    } catch (const FileError&) {
        return std::nullopt;
    }
}

KeepImages keepImages(const IconHoldings& holdings, int drawingWidth, int drawingHeight)
{
    if (holdings.imageCount < 2)
        return KeepImages::OneImage;
    if (holdings.type != kIconFileType)
        return KeepImages::NotAnIcon;
    if (holdings.chosenWidth == 0)
        return KeepImages::ChosenForm;
    if (holdings.chosenWidth != kDrawingSide || holdings.chosenHeight != kDrawingSide)
        return KeepImages::ChosenSize;
    if (drawingWidth != kDrawingSide || drawingHeight != kDrawingSide)
        return KeepImages::DrawingSize;
    const int bits = holdings.chosenBits;
    if (!holdings.chosenIsPng && bits != 4 && bits != 8 && bits != 32)
        return KeepImages::ChosenForm;
    return KeepImages::Possible;
}

std::optional<std::vector<std::uint8_t>> stillAsOpened(const std::string& path, const FileStamp& stamp)
{
    return readingWithinMemory(path, [&]() -> std::optional<std::vector<std::uint8_t>> {
        const ReadableFile file(path);
        if (file.stamp() != stamp)
            return std::nullopt;
        return file.readAll(WholeFile::IconLayout);
    });
}


std::string keepImagesQuestion(const IconHoldings& holdings, KeepImages keep, const PixelBuffer& drawing,
                               const std::string& unreadable)
{
    const std::string oneImage = sideText(drawing.width(), drawing.height()) + " の 16 色のイメージ 1 個だけにします。";
    const std::string why = unreadable.empty() ? "このファイルは開いた後に変更されたため、" : unreadable + "。\r\n";
    if (keep == KeepImages::ChangedOnDisk)
        return why + "ほかのイメージを残して保存することはできません。\r\n\r\n"
               "いいえ: 上書きして " + oneImage + "\r\nキャンセル: 保存しません。";
    return "このファイルには " + number(holdings.imageCount) + " 個のイメージがあります。" +
           sideText(holdings.chosenWidth, holdings.chosenHeight) + " の " + chosenText(holdings) +
           "のイメージを書き換え、ほかの " + number(holdings.imageCount - 1) + " 個はそのまま残しますか?" +
           (holdings.chosenSoftAlpha ? "（このイメージの半透明の部分は不透明になります）" : "") +
           (drawingFitsTable(holdings, drawing) ? "" : "（このイメージの色表に入らない色は近い色になります）") + "\r\n\r\n"
           "いいえ: " + oneImage + "\r\nキャンセル: 保存しません。";
}

std::string keepImagesRefusal(const IconHoldings& holdings, KeepImages keep)
{
    switch (keep) {
    case KeepImages::ChosenSize:
        return "開いたイメージは " + sideText(holdings.chosenWidth, holdings.chosenHeight) +
               " なので、ほかのイメージを残して書き換えることはできません。";
    case KeepImages::DrawingSize:
        return "画像の大きさが 32 × 32 でなくなったので、ほかのイメージを残して書き換えることはできません。";
    case KeepImages::NotAnIcon:
    case KeepImages::ChosenForm:
        return "開いたイメージの形式では、ほかのイメージを残して書き換えることはできません。";
    case KeepImages::Possible:
    case KeepImages::OneImage:
    case KeepImages::ChangedOnDisk:
        break;
    }
    return {};
}

std::vector<std::uint8_t> iconFileWithDrawing(std::span<const std::uint8_t> file, const IconHoldings& holdings,
                                              const PixelBuffer& drawing)
{
    if (keepImages(holdings, drawing.width(), drawing.height()) != KeepImages::Possible)
        throw FileError(kInvalidIconText);
    const IconDirectory directory = readIconDirectory(file);
    if (holdings.chosen >= directory.entries.size())
        throw FileError(kInvalidIconText);
    const RgbaImage picture = rgbaImageWithTransparentCorner(drawing);
    const IconStorage storage = chosenStorage(holdings);
    std::vector<std::uint8_t> data =
        iconImageData(picture, storage, isIndexed(storage) ? tableFor(picture, holdings).colors : std::vector<Color>());
    // Sized before anything is copied: entries may share one block of data,
    // and each is written out on its own.
    std::uint64_t size = kIconFileHeaderSize + kIconDirEntrySize * std::uint64_t(directory.entries.size()) + data.size();
    for (std::size_t i = 0; i < directory.entries.size(); ++i)
        if (i != holdings.chosen)
            size += directory.entries[i].dataSize;
    if (size > kMaxIconFileSize)
        throw FileError(fileProblemText(FileProblem::TooLarge));
    std::vector<IconFileImage> images = storedIconImages(file, directory);
    images[holdings.chosen].data = std::move(data);
    return iconFileBytes(kIconFileType, images);
}

} // namespace pimoko
