#include "files/model/icon_holdings.h"

#include "files/codec/byte_source.h"
#include "files/codec/file_error.h"

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
    const bool editorsOwnKind = holdings.imageCount == 1 && holdings.width == kSavedSide &&
                                holdings.height == kSavedSide &&
                                holdings.storage.kind == IconImageStorage::Kind::Bitmap &&
                                holdings.storage.bits >= 1 && holdings.storage.bits <= kSavedBits;
    if (editorsOwnKind)
        return std::nullopt;
    return holdings;
}

std::string overwriteLossQuestion(const IconHoldings& holdings, int savedWidth, int savedHeight)
{
    const std::string held =
        holdings.imageCount > 1
            ? "このファイルには " + std::to_string(holdings.imageCount) + " 個のイメージがあります。"
            : "このファイルのイメージは " + sizeText(holdings.width, holdings.height) + " の " +
                  depthText(holdings.storage) + "です。";
    return held + "上書きすると " + sizeText(savedWidth, savedHeight) +
           " の 16 色のイメージ 1 個だけになります。上書きしますか?";
}

} // namespace pimoko
