#include "app/cli/pack.h"

#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_packer.h"
#include "files/codec/png_chunks.h"
#include "files/codec/png_file.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"

#include <ostream>
#include <variant>
#include <vector>

namespace pimoko {

std::optional<Point> parseHotspot(std::string_view text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::optional<int> x = parseWholeNumber(text.substr(0, comma));
    const std::optional<int> y = parseWholeNumber(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return Point{*x, *y};
}

namespace {

std::optional<PngSize> sizeOfLargestSide(std::span<const std::uint8_t> png)
{
    const std::optional<PngSize> size = statedPngSize(png);
    if (!size || (size->width != kMaxPackedSide && size->height != kMaxPackedSide)
        || !inflatesToPixelsAsRead(png, kMaxPackedSide))
        return std::nullopt;
    return size;
}

} // namespace

RgbaImage readPackInput(const std::string& path, std::vector<std::uint8_t>& pngBytes)
{
    if (lowerCaseExtension(path) == ".png") {
        pngBytes = readWholeFile(path, WholeFile::Png);
        // A picture of the largest side is stored as its own PNG file when
        // that shows its pixels as read: then only its size counts, and its
        // pixels need not be decoded.
        if (const std::optional<PngSize> size = sizeOfLargestSide(pngBytes))
            return RgbaImage(size->width, size->height);
        // Otherwise its pixels are what goes in, encoded afresh.
        RgbaImage picture = readPngFile(pngBytes, kMaxPackedSide);
        pngBytes.clear();
        return picture;
    }
    return rgbaImageWithTransparentCorner(
        openPicture(path, "--pack reads .bmp, .ico, .cur, .exe and .png files").picture);
}

int runPack(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    std::optional<Point> hotspot;
    if (const GivenOption* given = commandLine.given(OptionId::Hotspot))
        hotspot = std::get<Point>(given->typed);
    const std::string& output = commandLine.verbValue;
    std::vector<RgbaImage> images;
    std::vector<std::vector<std::uint8_t>> pngs(commandLine.operands.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        try {
            images.push_back(readPackInput(commandLine.operands[i], pngs[i]));
        } catch (const FileError& error) {
            return reportError(err, commandLine.operands[i], error, ExitRefused);
        }
    }
    // What the images cannot make together is said of the icon they would make.
    std::vector<std::uint8_t> bytes;
    try {
        bytes = packIconFile(images, hotspot, pngs);
    } catch (const FileError& error) {
        return reportError(err, output, error, ExitRefused);
    }
    return writeOutput(output, [&] { return std::move(bytes); }, err);
}

} // namespace pimoko
