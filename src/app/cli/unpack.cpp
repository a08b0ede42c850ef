#include "app/cli/unpack.h"

#include "app/cli/output_file.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_png.h"
#include "files/codec/pe_icon_group.h"
#include "files/codec/png_file.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"
#include "files/model/system_reason.h"

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <variant>

#include <sys/stat.h>

namespace pimoko {

namespace {

// Each member's data alone is read, however large the program.
std::vector<DecodedIconImage> readProgramImages(const ReadableFile& file)
{
    const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
    if (!group || group->members.empty())
        throw FileError(kNoProgramIconText);
    std::vector<DecodedIconImage> images;
    for (const ProgramIconGroup::Member& member : group->members) {
        if (!member.found || member.entry.dataSize > kMaxIconFileSize)
            throw FileError(kInvalidIconText);
        std::vector<std::uint8_t> data(member.entry.dataSize);
        file.readAt(member.entry.dataOffset, data);
        IconDirEntry entry = member.entry;
        entry.dataOffset = 0;
        const IconImage image = hasPngSignature(data) ? decodePngIconImage(data) : decodeIconImage(data, entry);
        images.push_back({image.width, image.height, image.bitCount, rgbaFromIconImage(image)});
    }
    return images;
}

std::vector<DecodedIconImage> readBitmapImage(const std::string& path)
{
    const std::variant<OpenedPicture, OpenRefusal> read = readPictureFile(path);
    if (const auto* refusal = std::get_if<OpenRefusal>(&read))
        throw FileError(openRefusalText(*refusal));
    const PixelBuffer& picture = std::get<OpenedPicture>(read).picture;
    return {{picture.width(), picture.height(), picture.format().bitsPerPixel, opaqueRgbaImage(picture)}};
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
        if (kind == PictureKind::Program)
            return readProgramImages(file);
        return decodeIconFileImages(file.readAll(kMaxIconFileSize));
    });
}

std::vector<std::string> unpackedNames(const std::string& input, std::span<const DecodedIconImage> images)
{
    const std::string name = fileNamePart(input);
    const std::string stem = name.substr(0, name.size() - lowerCaseExtension(name).size());
    std::vector<std::string> names;
    for (const DecodedIconImage& image : images) {
        const std::string base =
            stem + '-' + numbered(image.width) + 'x' + numbered(image.height) + '-' + numbered(image.bits);
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
    const bool force = std::any_of(commandLine.options.begin(), commandLine.options.end(),
                                   [](const GivenOption& option) { return option.name == "--force"; });
    std::vector<DecodedIconImage> images;
    try {
        images = readUnpackInput(input);
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitRefused;
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
        err << cannotCreateText(path, systemReasonText(isFolder ? EISDIR : EEXIST)) << '\n'
            << (isFolder ? "pimoko: nothing written\n" : "pimoko: nothing written; --force replaces existing files\n");
        return ExitCannotWrite;
    }
    try {
        std::vector<std::vector<std::uint8_t>> files;
        for (const DecodedIconImage& image : images)
            files.push_back(writePngFile(image.image, PngChannels::Rgba));
        for (std::size_t i = 0; i < paths.size(); ++i)
            replaceFileWhole(paths[i], files[i]);
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitCannotWrite;
    }
    return ExitDone;
}

} // namespace pimoko
