#include "app/cli/unpack.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_png.h"
#include "files/codec/pe_icon_group.h"
#include "files/codec/png_file.h"
#include "files/codec/system_reason.h"
#include "files/file_writer.h"
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

std::vector<std::uint8_t> pngOrNothing(std::span<const std::uint8_t> data)
{
    return hasPngSignature(data) ? std::vector<std::uint8_t>(data.begin(), data.end()) : std::vector<std::uint8_t>();
}

// Entries may share their data, so that a small file could name more
// pictures than memory holds: a file is read as far as its images' data
// together fit the cap of an icon file and they number kMaxUnpackedImages
// at most.
void checkAmount(const ReadableFile& file, std::size_t count, std::uint64_t dataSize)
{
    if (count > kMaxUnpackedImages || dataSize > kMaxIconFileSize)
        file.fail(fileProblemText(FileProblem::TooLarge));
}

std::vector<UnpackedImage> readIconFileImages(const ReadableFile& file)
{
    const std::vector<std::uint8_t> bytes = file.readAll(kMaxIconFileSize);
    const IconDirectory directory = readIconDirectory(bytes);
    std::uint64_t dataSize = 0;
    for (const IconDirEntry& entry : directory.entries)
        dataSize += entry.dataSize;
    checkAmount(file, directory.entries.size(), dataSize);
    // Each image's data lies in the file once its pixels are read from it.
    std::vector<DecodedIconImage> decoded = decodeIconFileImages(bytes);
    std::vector<UnpackedImage> images;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const IconDirEntry& entry = directory.entries[i];
        images.push_back({std::move(decoded[i]),
                          pngOrNothing(std::span(bytes).subspan(entry.dataOffset, entry.dataSize))});
    }
    return images;
}

// Each member's data alone is read, however large the program.
std::vector<UnpackedImage> readProgramImages(const ReadableFile& file)
{
    const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
    if (!group || group->members.empty())
        throw FileError(kNoProgramIconText);
    std::uint64_t dataSize = 0;
    for (const ProgramIconGroup::Member& member : group->members)
        dataSize += member.entry.dataSize;
    checkAmount(file, group->members.size(), dataSize);
    std::vector<UnpackedImage> images;
    for (const ProgramIconGroup::Member& member : group->members) {
        if (!member.found)
            throw FileError(kInvalidIconText);
        std::vector<std::uint8_t> data(member.entry.dataSize);
        file.readAt(member.entry.dataOffset, data);
        IconDirEntry entry = member.entry;
        entry.dataOffset = 0;
        const IconImage image = hasPngSignature(data) ? decodePngIconImage(data) : decodeIconImage(data, entry);
        images.push_back({{image.width, image.height, image.bitCount, rgbaFromIconImage(image)}, pngOrNothing(data)});
    }
    return images;
}

std::vector<UnpackedImage> readBitmapImage(const std::string& path)
{
    const std::variant<OpenedPicture, OpenRefusal> read = readPictureFile(path);
    if (const auto* refusal = std::get_if<OpenRefusal>(&read))
        throw FileError(openRefusalText(*refusal));
    const PixelBuffer& picture = std::get<OpenedPicture>(read).picture;
    return {{{picture.width(), picture.height(), picture.format().bitsPerPixel, opaqueRgbaImage(picture)}, {}}};
}

std::string numbered(long long number)
{
    return std::to_string(number);
}

} // namespace

std::vector<UnpackedImage> readUnpackInput(const std::string& path)
{
    const PictureKind kind = pictureKindFor(path);
    if (kind == PictureKind::Bitmap)
        return readBitmapImage(path);
    if (kind == PictureKind::Unknown)
        throw FileError("--unpack reads icon (.ico), cursor (.cur), program (.exe) and bitmap (.bmp) files");
    return readingWithinMemory(path, [&] {
        const ReadableFile file(path);
        return kind == PictureKind::Program ? readProgramImages(file) : readIconFileImages(file);
    });
}

std::vector<std::string> unpackedNames(const std::string& input, std::span<const UnpackedImage> images)
{
    const std::string name = fileNamePart(input);
    const std::string stem = name.substr(0, name.size() - lowerCaseExtension(name).size());
    std::vector<std::string> names;
    for (const UnpackedImage& image : images) {
        const DecodedIconImage& decoded = image.decoded;
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
    const bool force = std::any_of(commandLine.options.begin(), commandLine.options.end(),
                                   [](const GivenOption& option) { return option.name == "--force"; });
    std::vector<UnpackedImage> images;
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
        for (UnpackedImage& image : images)
            if (image.png.empty())
                image.png = writePngFile(image.decoded.image, PngChannels::Rgba);
        for (std::size_t i = 0; i < paths.size(); ++i)
            writeFileWhole(paths[i], images[i].png);
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitCannotWrite;
    }
    return ExitDone;
}

} // namespace pimoko
