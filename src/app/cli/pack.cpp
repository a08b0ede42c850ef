#include "app/cli/pack.h"

#include "app/cli/error_line.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_packer.h"
#include "files/codec/png_file.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"

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

RgbaImage readPackInput(const std::string& path, std::vector<std::uint8_t>& pngBytes)
{
    if (lowerCaseExtension(path) == ".png") {
        pngBytes = readWholeFile(path, kMaxPngFileSize);
        return readPngFile(pngBytes, kMaxPackedSide);
    }
    const std::variant<OpenedPicture, OpenRefusal> read = readPictureFile(path);
    if (const auto* refusal = std::get_if<OpenRefusal>(&read))
        throw FileError(*refusal == OpenRefusal::Format ? "--pack reads .bmp, .ico, .cur, .exe and .png files"
                                                        : openRefusalText(*refusal));
    return rgbaImageWithTransparentCorner(std::get<OpenedPicture>(read).picture);
}

int runPack(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    std::optional<Point> hotspot;
    for (const GivenOption& option : commandLine.options)
        if (option.name == "--hotspot")
            hotspot = parseHotspot(option.value);
    const std::string& output = commandLine.verbValue;
    std::vector<RgbaImage> images;
    std::vector<std::vector<std::uint8_t>> pngs(commandLine.operands.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        try {
            images.push_back(readPackInput(commandLine.operands[i], pngs[i]));
        } catch (const FileError& error) {
            return reportError(err, commandLine.operands[i], error.what(), ExitRefused);
        }
    }
    // What the images cannot make together is said of the icon they would make.
    std::vector<std::uint8_t> bytes;
    try {
        bytes = packIconFile(images, hotspot, pngs);
    } catch (const FileError& error) {
        return reportError(err, output, error.what(), ExitRefused);
    }
    return writeOutput(output, [&] { return std::move(bytes); }, err);
}

} // namespace pimoko
