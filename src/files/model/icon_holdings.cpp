#include "files/model/icon_holdings.h"

#include "files/codec/byte_source.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_choice.h"
#include "files/codec/icon_decode.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_picture.h"
#include "raster/standard_colors.h"

#include <algorithm>

namespace pimoko {

namespace {

constexpr int kSavedSide = 32;
constexpr int kSavedBits = 4;

std::string sizeText(int width, int height)
{
    return std::to_string(width) + " × " + std::to_string(height);
}

// "16 色", "256 色", "フルカラー", "PNG 形式" ... of one stored image.
std::string depthText(const IconImageStorage& storage)
{
    if (storage.kind == IconImageStorage::Kind::Png)
        return "PNG 形式";
    switch (storage.bits) {
    case 1: return "2 色";
    case 4: return "16 色";
    case 8: return "256 色";
    case 16:
    case 24: return "フルカラー";
    case 32: return "透明度付きフルカラー";
    default: return "不明な形式";
    }
}

// Whether the picture the file opens as has a colour the saved icon would
// not keep.
bool picturesOwnColors(std::span<const std::uint8_t> file)
{
    const PixelBuffer picture = readIconPicture(file);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (std::find(kStandardColors.begin(), kStandardColors.end(), picture.pixel(x, y)) == kStandardColors.end())
                return true;
    return false;
}

void noteChosenImage(std::span<const std::uint8_t> file, const IconDirectory& directory, IconHoldings& holdings)
{
    holdings.chosen = chooseIconEntry(directory);
    const IconDirEntry& entry = directory.entries[holdings.chosen];
    if (entry.dataOffset > file.size() || entry.dataSize > file.size() - entry.dataOffset)
        return;
    const DecodedIconImage image = decodeIconImageData(file.subspan(entry.dataOffset, entry.dataSize));
    holdings.chosenIsPng = !image.storedPng.empty();
    holdings.chosenBits = image.bits;
    if (!holdings.chosenIsPng && image.bits <= 8)
        holdings.chosenTable = decodeIconImage(file, entry).palette;
    holdings.chosenSoftAlpha = std::any_of(image.image.pixels().begin(), image.image.pixels().end(),
                                           [](Rgba p) { return p.a != 0 && p.a != 255; });
    holdings.chosenWidth = image.width;
    holdings.chosenHeight = image.height;
}

} // namespace

std::optional<IconHoldings> iconHoldingsBeyondSave(std::span<const std::uint8_t> file)
{
    IconDirectory directory;
    try {
        directory = readIconDirectory(file);
    } catch (const FileError&) {
        return std::nullopt;
    }
    if (directory.entries.empty())
        return std::nullopt;
    const IconDirEntry& first = directory.entries.front();
    IconHoldings holdings;
    holdings.imageCount = int(directory.entries.size());
    holdings.width = entrySide(first.width);
    holdings.height = entrySide(first.height);
    holdings.storage = readIconImageStorage(SpanSource(file), first);
    holdings.type = directory.type;
    try {
        noteChosenImage(file, directory, holdings);
    } catch (const FileError&) {
        // Not decoded: nothing of it can be kept.
    }
    const bool editorsOwnKind = holdings.imageCount == 1 && holdings.width == kSavedSide &&
                                holdings.height == kSavedSide &&
                                holdings.storage.kind == IconImageStorage::Kind::Bitmap &&
                                holdings.storage.bits >= 1 && holdings.storage.bits <= kSavedBits;
    if (editorsOwnKind) {
        try {
            holdings.ownColors = picturesOwnColors(file);
        } catch (const FileError&) {
        }
        if (!holdings.ownColors)
            return std::nullopt;
    }
    return holdings;
}

std::string overwriteLossQuestion(const IconHoldings& holdings, int savedWidth, int savedHeight)
{
    if (holdings.ownColors)
        return "このファイルの " + depthText(holdings.storage) + "は標準の 16 色と違います。上書きすると標準の 16 色に置き換わります。上書きしますか?";
    const std::string held =
        holdings.imageCount > 1
            ? "このファイルには " + std::to_string(holdings.imageCount) + " 個のイメージがあります。"
            : "このファイルのイメージは " + sizeText(holdings.width, holdings.height) + " の " +
                  depthText(holdings.storage) + "です。";
    return held + "上書きすると " + sizeText(savedWidth, savedHeight) +
           " の 16 色のイメージ 1 個だけになります。上書きしますか?";
}

} // namespace pimoko
