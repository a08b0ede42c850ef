#include "app/cli/unpack.h"

#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/png_file.h"
#include "files/codec/system_reason.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <variant>

#include <sys/stat.h>

namespace pimoko {

namespace {

std::vector<DecodedIconImage> readBitmapImage(const std::string& path)
{
    const PixelBuffer picture = openPicture(path).picture;
    return {{picture.width(), picture.height(), picture.format().bitsPerPixel, opaqueRgbaImage(picture), {}}};
}

std::string numbered(long long number)
{
    return std::to_string(number);
}

} // namespace

std::vector<DecodedIconImage> readUnpackInput(const std::string& path)
{
    const PictureKind kind = pictureKindFor(path);
    if (kind == PictureKind::Bitmap)
        return readBitmapImage(path);
    if (kind == PictureKind::Unknown)
        throw FileError("--unpack reads icon (.ico), cursor (.cur), program (.exe) and bitmap (.bmp) files");
    return readingWithinMemory(path, [&] {
        const ReadableFile file(path);
        // A stored PNG file is written out as it is: its chunks are checked,
        // its pixels never needed.
        return kind == PictureKind::Program ? decodeProgramIconImages(file, StoredPngs::Checked)
                                            : decodeIconFileImages(file.readAll(WholeFile::IconLayout), StoredPngs::Checked);
    });
}

std::vector<std::string> unpackedNames(const std::string& input, std::span<const DecodedIconImage> images)
{
    const std::string name = fileNamePart(input);
    const std::string stem = name.substr(0, name.size() - lowerCaseExtension(name).size());
    std::vector<std::string> names;
    for (const DecodedIconImage& decoded : images) {
        const std::string base =
            stem + '-' + numbered(decoded.width) + 'x' + numbered(decoded.height) + '-' + numbered(decoded.bits);
        std::string unique = base + ".png";
        for (int count = 2; std::find(names.begin(), names.end(), unique) != names.end(); ++count)
            unique = base + '-' + numbered(count) + ".png";
        names.push_back(unique);
    }
    return names;
}

int runUnpack(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    const std::string& input = commandLine.operands.front();
    const std::string& folder = commandLine.verbValue;
    const bool force = commandLine.given(OptionId::Force) != nullptr;
    std::vector<DecodedIconImage> images;
    try {
        images = readUnpackInput(input);
    } catch (const FileError& error) {
        return reportError(err, input, error, ExitRefused);
    }
    std::vector<std::string> paths;
    for (const std::string& name : unpackedNames(input, images))
        paths.push_back(folder.ends_with('/') ? folder + name : folder + '/' + name);

    // Every name is judged before anything is written.
    for (const std::string& path : paths) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || (force && !S_ISDIR(status.st_mode)))
            continue;
        const bool isFolder = S_ISDIR(status.st_mode);
        return reportError(err, path,
                           systemReasonText(isFolder ? EISDIR : EEXIST)
                               + (isFolder ? " (nothing written)" : " (nothing written; --force replaces existing files)"),
                           ExitCannotWrite);
    }
    // An image stored as a PNG file is written as it is stored. Without
    // --force a name taken since the check above is not replaced either.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const int status = writeOutput(
            paths[i],
            [&] {
                return images[i].storedPng.empty() ? pngFileBytes(images[i].image, PngChannels::Rgba)
                                                   : images[i].storedPng;
            },
            err, {.neverReplace = !force});
        if (status != ExitDone)
            return status;
    }
    return ExitDone;
}

} // namespace pimoko
