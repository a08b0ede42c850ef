#include "app/cli/thumbnail.h"

#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_images.h"
#include "files/codec/png_file.h"
#include "files/codec/png_signature.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"
#include "raster/rgba_scaling.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pimoko {

namespace {

// The images are read with their PNG files checked, not decoded: only the
// chosen one's pixels are needed.
RgbaImage chosenImage(std::vector<DecodedIconImage> images, int side)
{
    DecodedIconImage& chosen = images[chooseThumbnailImage(images, side)];
    if (!chosen.storedPng.empty())
        return decodeIconImageData(chosen.storedPng).image;
    return std::move(chosen.image);
}

// File managers hand over files of any name: where the extension says
// nothing, the first bytes decide.
RgbaImage thumbnailSource(const std::string& path, int side)
{
    PictureKind kind = pictureKindFor(path);
    if (kind == PictureKind::Unknown) {
        const ReadableFile file(path);
        std::vector<std::uint8_t> start(std::size_t(std::min<std::uint64_t>(file.size(), kPngSignature.size())));
        file.readAt(0, start);
        if (hasPngSignature(start))
            return readPngFile(file.readAll(WholeFile::Png), kMaxThumbnailSide);
        kind = pictureKindOfContent(start);
    }
    switch (kind) {
    case PictureKind::Icon:
    case PictureKind::Cursor:
        return chosenImage(decodeIconFileImages(readWholeFile(path, WholeFile::IconLayout), StoredPngs::Checked), side);
    case PictureKind::Program:
        return chosenImage(decodeProgramIconImages(ReadableFile(path), StoredPngs::Checked), side);
    case PictureKind::Bitmap:
        return opaqueRgbaImage(openPictureAs(path, PictureKind::Bitmap).picture);
    case PictureKind::Unknown:
        break;
    }
    throw FileError("--thumbnail reads icon (.ico), cursor (.cur), program (.exe) and bitmap (.bmp) files");
}

// The side SIZE names: a decimal number within the limits, digits only.
std::optional<int> thumbnailSide(std::string_view text)
{
    int side = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, side);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) || error != std::errc() || stop != end
        || side < kMinThumbnailSide || side > kMaxThumbnailSide)
        return std::nullopt;
    return side;
}

} // namespace

int runThumbnail(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    const std::string& input = commandLine.operands[0];
    const std::string& output = commandLine.operands[1];
    const std::optional<int> side = thumbnailSide(commandLine.operands[2]);
    const char* mistake = !side ? "SIZE must be a whole number from 16 to 1024"
        : lowerCaseExtension(output) != ".png" ? "the thumbnail's file name must end in .png"
                                                : nullptr;
    if (mistake) {
        err << "pimoko: " << mistake << "\nTry 'pimoko --help' for more information.\n";
        return ExitBadCommandLine;
    }
    RgbaImage thumbnail;
    try {
        thumbnail = readingWithinMemory(input, [&] { return fitThumbnail(thumbnailSource(input, *side), *side); });
    } catch (const FileError& error) {
        return reportError(err, input, error, ExitRefused);
    }
    return writeOutput(output, [&] { return pngFileBytes(thumbnail); }, err);
}

} // namespace pimoko
