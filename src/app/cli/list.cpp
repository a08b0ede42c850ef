#include "app/cli/list.h"

#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/codec/png_file.h"
#include "files/model/file_names.h"
#include "files/model/image_listing.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <variant>

namespace pimoko {

namespace {

// The colours the bits per pixel hold, five columns wide; "—" above 8 bits,
// where no palette counts them (the entry's own field says 0 there).
std::string colourCount(int bits)
{
    if (bits < 1 || bits > 8)
        return "    —";
    char count[8];
    std::snprintf(count, sizeof count, "%5d", 1 << bits);
    return count;
}

// How an image is stored, as a line shows it.
struct StorageText {
    const char* kind = "missing";
    int bits = 0;
};

StorageText storageText(const IconImageStorage& storage)
{
    switch (storage.kind) {
    case IconImageStorage::Kind::Bitmap:
        return {"bitmap", storage.bits};
    case IconImageStorage::Kind::Png:
        return {"PNG", storage.bits};
    case IconImageStorage::Kind::Missing:
        break;
    }
    return {"missing", storage.bits};
}

std::string imageLine(std::size_t index, bool chosen, int width, int height, const StorageText& stored,
                      std::uint64_t bytes)
{
    char line[160];
    std::snprintf(line, sizeof line, "%c %2zu  %3d x %-3d  %s colours  %2d bits  %-7s %7llu bytes", chosen ? '*' : ' ',
                  index, width, height, colourCount(stored.bits).c_str(), stored.bits, stored.kind,
                  static_cast<unsigned long long>(bytes));
    return line;
}

std::string imageLine(std::size_t index, bool chosen, const IconDirEntry& entry, const StorageText& stored)
{
    return imageLine(index, chosen, entrySide(entry.width), entrySide(entry.height), stored, entry.dataSize);
}

// A PNG file's one line, from its signature and header chunk alone.
std::string pngLine(const std::string& path)
{
    return readingWithinMemory(path, [&] {
        const ReadableFile file(path);
        constexpr std::size_t kHeaderEnd = 24;  // signature, IHDR length and name, width, height
        std::uint8_t header[kHeaderEnd] = {};
        const IconImageStorage storage = readIconImageStorage(file, {.dataSize = std::uint32_t(file.size())});
        if (storage.kind != IconImageStorage::Kind::Png || file.size() < kHeaderEnd)
            throw FileError(kInvalidPngText);
        file.readAt(0, header);
        const auto big32 = [&](std::size_t at) {
            return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16
                | std::uint32_t(header[at + 2]) << 8 | header[at + 3];
        };
        if (big32(12) != 0x49484452)  // "IHDR"
            throw FileError(kInvalidPngText);
        return imageLine(0, false, int(big32(16)), int(big32(20)), storageText(storage), file.size());
    });
}

constexpr const char* kCursorLayoutText =
    "it is a cursor in the cursor layout (header type 2); the editor opens only files in the icon layout (type 1)";

// Whether the icon or cursor file's header says it is in the cursor layout.
bool inCursorLayout(const std::string& path)
{
    if (pictureKindFor(path) == PictureKind::Program)
        return false;
    try {
        return readIconDirectory(ReadableFile(path)).type == kCursorFileType;
    } catch (const FileError&) {
        return false;
    }
}

} // namespace

std::vector<std::string> listImages(const std::string& path)
{
    if (lowerCaseExtension(path) == ".png")
        return {pngLine(path)};
    const PictureKind kind = pictureKindFor(path);
    if (kind != PictureKind::Icon && kind != PictureKind::Cursor && kind != PictureKind::Program)
        throw FileError("--list reads icon (.ico), cursor (.cur), program (.exe) and PNG (.png) files");
    const std::vector<ListedImage> images = readImageListing(path);
    if (images.empty())
        return {"no icon: the editor shows the generic application icon"};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < images.size(); ++i)
        lines.push_back(imageLine(i, images[i].chosen, images[i].entry, storageText(images[i].storage)));
    return lines;
}

int runList(const CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    const std::string& path = commandLine.operands.front();
    try {
        for (const std::string& line : listImages(path))
            out << line << '\n';
    } catch (const FileError& error) {
        return reportError(err, path, error, ExitRefused);
    }
    // The images are listed either way; a file the window would refuse says
    // so. A PNG file is listed as a picture --pack takes, not one the editor opens.
    if (lowerCaseExtension(path) == ".png")
        return ExitDone;
    try {
        openPicture(path);
        return ExitDone;
    } catch (const FileError& error) {
        return reportError(err, path,
                           std::string("the editor does not open this file: ")
                               + (inCursorLayout(path) ? kCursorLayoutText : error.what()),
                           ExitRefused);
    }
}

} // namespace pimoko
