#include "app/cli/pack.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_packer.h"
#include "files/codec/png_file.h"
#include "files/file_writer.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"

#include <ostream>
#include <variant>
#include <vector>

namespace pimoko {

namespace {

// The text as it is when it names the file already, else after the file's name.
std::string aboutFile(const std::string& path, const std::string& text)
{
    return text.find('"' + path + '"') != std::string::npos ? text : path + ": " + text;
}

// The picture, and for a PNG file its bytes, which the icon may keep as they are.
RgbaImage readPicture(const std::string& path, std::vector<std::uint8_t>& pngBytes)
{
    if (lowerCaseExtension(path) == ".png") {
        pngBytes = readWholeFile(path, WholeFile::Png);
        return readPngFile(pngBytes, kMaxPackedSide);
    }
    const std::variant<OpenedPicture, OpenRefusal> read = readPictureFile(path);
    if (const auto* refusal = std::get_if<OpenRefusal>(&read))
        throw FileError(*refusal == OpenRefusal::Format ? "--pack reads .bmp, .ico, .cur, .exe and .png files"
                                                        : openRefusalText(*refusal));
    return rgbaImageWithTransparentCorner(std::get<OpenedPicture>(read).picture);
}

} // namespace

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
    try {
        return readPicture(path, pngBytes);
    } catch (const FileError& error) {
        throw FileError(aboutFile(path, error.what()));
    }
}

int runPack(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    std::optional<Point> hotspot;
    for (const GivenOption& option : commandLine.options)
        if (option.name == "--hotspot")
            hotspot = parseHotspot(option.value);
    std::vector<std::uint8_t> bytes;
    try {
        std::vector<RgbaImage> images;
        std::vector<std::vector<std::uint8_t>> pngs(commandLine.operands.size());
        for (std::size_t i = 0; i < pngs.size(); ++i)
            images.push_back(readPackInput(commandLine.operands[i], pngs[i]));
        bytes = packIconFile(images, hotspot, pngs);
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitRefused;
    }
    try {
        writeFileWhole(commandLine.verbValue, bytes);
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitCannotWrite;
    }
    return ExitDone;
}

} // namespace pimoko
