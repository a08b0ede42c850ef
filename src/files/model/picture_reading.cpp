#include "files/model/picture_reading.h"

#include "files/codec/bmp_reader.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/pe_icon.h"
#include "files/model/file_descriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

std::string openRefusalText(OpenRefusal refusal)
{
    if (refusal == OpenRefusal::Format)
        return " このソフトで開けるファイル形式は\r\n\r\n 『 BMP,ICO,EXE 』　だけです。";
    return " このソフトで開けるサイズは\r\n\r\n 『 64 X 64 』　以下です。";
}

std::string cannotOpenText(const std::string& path, const std::string& reason)
{
    return "ファイル \"" + path + "\". " + reason + " は開けません";
}

std::string cannotCreateText(const std::string& path, const std::string& reason)
{
    return "ファイル \"" + path + "\". " + reason + " を作成できません";
}

std::vector<std::uint8_t> readWholeFile(const std::string& path)
{
    // Judged before opening, so that a pipe or a device is never waited on.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        throw FileError(cannotOpenText(path, "Not a regular file"));
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0)
        throw FileError(cannotOpenText(path, std::strerror(errno)));
    if (!S_ISREG(status.st_mode))
        throw FileError(cannotOpenText(path, "Not a regular file"));
    std::vector<std::uint8_t> bytes(std::size_t(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw FileError(cannotOpenText(path, got < 0 ? std::strerror(errno) : "The file changed while it was read"));
        done += std::size_t(got);
    }
    return bytes;
}

std::variant<OpenedPicture, OpenRefusal> readPictureFile(const std::string& path)
{
    const PictureKind kind = pictureKindFor(path);
    if (kind == PictureKind::Unknown)
        return OpenRefusal::Format;
    const std::vector<std::uint8_t> file = readWholeFile(path);
    OpenedPicture opened{{}, kind};
    switch (kind) {
    case PictureKind::Bitmap: {
        const BitmapInfo info = readBitmapInfo(file);
        if (!fitsTheEditor(info.width, info.height))
            return OpenRefusal::Size;
        opened.picture = readBitmapFile(file);
        break;
    }
    case PictureKind::Icon:
    case PictureKind::Cursor:
        opened.picture = readIconPicture(file);
        break;
    case PictureKind::Program:
        opened.picture = readProgramIconPicture(file);
        break;
    case PictureKind::Unknown:
        break;
    }
    if (!fitsTheEditor(opened.picture.width(), opened.picture.height()))
        return OpenRefusal::Size;
    return opened;
}

} // namespace pimoko
