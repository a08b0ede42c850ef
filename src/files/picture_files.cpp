#include "files/picture_files.h"

#include "files/codec/bmp_reader.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/pe_icon.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <span>

namespace pimoko {

namespace {

// The bytes of a whole file, read into memory for as long as this lives.
// Not mapped: a file cut short by another program while mapped would end
// the editor with SIGBUS at the first read past its new end, where a copy
// simply holds what the file held when it was read.
class FileBytes {
public:
    explicit FileBytes(const QString& path) : file_(path)
    {
        const QFileInfo info(path);
        if (info.exists() && !info.isFile())
            fail(QStringLiteral("Not a regular file"));
        if (!file_.open(QIODevice::ReadOnly))
            fail(file_.errorString());
        copy_ = file_.readAll();
        if (file_.error() != QFileDevice::NoError)
            fail(file_.errorString());
        bytes_ = {reinterpret_cast<const std::uint8_t*>(copy_.constData()), std::size_t(copy_.size())};
    }

    std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    [[noreturn]] void fail(const QString& reason) const
    {
        throw FileError(cannotOpenText(file_.fileName(), reason).toStdString());
    }

    QFile file_;
    QByteArray copy_;
    std::span<const std::uint8_t> bytes_;
};

} // namespace

QString cannotOpenText(const QString& path, const QString& reason)
{
    return QStringLiteral("ファイル \"%1\". %2 は開けません").arg(path, reason);
}

QString refusalText(OpenRefusal refusal)
{
    if (refusal == OpenRefusal::Format)
        return QStringLiteral(" このソフトで開けるファイル形式は\r\n\r\n 『 BMP,ICO,EXE 』　だけです。");
    return QStringLiteral(" このソフトで開けるサイズは\r\n\r\n 『 64 X 64 』　以下です。");
}

std::variant<OpenedPicture, OpenRefusal> readPictureFile(const QString& fileName)
{
    const PictureKind kind = pictureKindFor(fileName.toStdString());
    if (kind == PictureKind::Unknown)
        return OpenRefusal::Format;
    const FileBytes file(fileName);
    OpenedPicture opened{{}, kind};
    switch (kind) {
    case PictureKind::Bitmap: {
        const BitmapInfo info = readBitmapInfo(file.bytes());
        if (!fitsTheEditor(info.width, info.height))
            return OpenRefusal::Size;
        opened.picture = readBitmapFile(file.bytes());
        break;
    }
    case PictureKind::Icon:
    case PictureKind::Cursor:
        opened.picture = readIconPicture(file.bytes());
        break;
    case PictureKind::Program:
        opened.picture = readProgramIconPicture(file.bytes());
        break;
    case PictureKind::Unknown:
        break;
    }
    if (!fitsTheEditor(opened.picture.width(), opened.picture.height()))
        return OpenRefusal::Size;
    return opened;
}

} // namespace pimoko
