#include "files/model/picture_reading.h"

#include "files/codec/bmp_reader.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_picture.h"
#include "files/codec/pe_icon.h"
#include "files/model/readable_file.h"
#include "files/codec/system_reason.h"

#include <algorithm>
#include <initializer_list>

namespace pimoko {

std::string openRefusalText(OpenRefusal refusal)
{
    if (refusal == OpenRefusal::Format)
        return " このソフトで開けるファイル形式は\r\n\r\n 『 BMP,ICO,EXE 』　だけです。";
    return " このソフトで開けるサイズは\r\n\r\n 『 64 X 64 』　以下です。";
}

namespace {

constexpr std::uint64_t kBitmapHeadersSize = 14 + 40;

std::variant<OpenedPicture, OpenRefusal> readBitmap(const ReadableFile& file)
{
    if (file.size() > readingCap(WholeFile::Bitmap)) {
        // Larger than any bitmap the editor opens. Headers that state a
        // picture too large for it get the size refusal, as for a small file.
        std::vector<std::uint8_t> headers(kBitmapHeadersSize);
        file.readAt(0, headers);
        try {
            const BitmapInfo info = readBitmapHeaders(headers);
            if (!fitsTheEditor(info.width, info.height))
                return OpenRefusal::Size;
        } catch (const FileError&) {
        }
        file.fail(fileProblemText(FileProblem::TooLarge));
    }
    const std::vector<std::uint8_t> bytes = file.readAll(WholeFile::Bitmap);
    const BitmapInfo info = readBitmapHeaders(bytes);
    if (!fitsTheEditor(info.width, info.height))
        return OpenRefusal::Size;
    return OpenedPicture{readBitmapFile(bytes), PictureKind::Bitmap, std::nullopt};
}

std::variant<OpenedPicture, OpenRefusal> readPicture(const ReadableFile& file, PictureKind kind)
{
    if (kind == PictureKind::Bitmap)
        return readBitmap(file);
    OpenedPicture opened{{}, kind, std::nullopt};
    if (kind == PictureKind::Program)
        opened.picture = readProgramIconPicture(file);
    else {
        const std::vector<std::uint8_t> bytes = file.readAll(WholeFile::IconLayout);
        opened.picture = readIconPicture(bytes);
        if (kind == PictureKind::Icon && (opened.beyondSave = iconHoldingsBeyondSave(bytes)))
            opened.beyondSave->stamp = file.stamp();
    }
    if (!fitsTheEditor(opened.picture.width(), opened.picture.height()))
        return OpenRefusal::Size;
    return opened;
}

} // namespace

std::variant<OpenedPicture, OpenRefusal> readPictureFile(const std::string& path)
{
    return readPictureFileAs(path, pictureKindFor(path));
}

PictureKind pictureKindOfContent(std::span<const std::uint8_t> fileStart)
{
    const auto starts = [&](std::initializer_list<std::uint8_t> bytes) {
        return fileStart.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), fileStart.begin());
    };
    if (starts({0, 0, 1, 0}))
        return PictureKind::Icon;
    if (starts({0, 0, 2, 0}))
        return PictureKind::Cursor;
    if (starts({'M', 'Z'}))
        return PictureKind::Program;
    if (starts({'B', 'M'}))
        return PictureKind::Bitmap;
    return PictureKind::Unknown;
}

std::variant<OpenedPicture, OpenRefusal> readPictureFileAs(const std::string& path, PictureKind kind)
{
    if (kind == PictureKind::Unknown)
        return OpenRefusal::Format;
    return readingWithinMemory(path, [&] { return readPicture(ReadableFile(path), kind); });
}

} // namespace pimoko
