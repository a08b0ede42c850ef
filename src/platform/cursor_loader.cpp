#include "platform/cursor_loader.h"

#include "files/codec/file_error.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"
#include "files/codec/icon_decode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QStandardPaths>

#include <algorithm>

#ifndef PIMOKO_DATA_DIR
#define PIMOKO_DATA_DIR "../share/pimoko"
#endif

namespace pimoko {

namespace {

QRgb argbOf(Color c, int alpha)
{
    return qRgba(redOf(c), greenOf(c), blueOf(c), alpha);
}

} // namespace

QImage cursorImage(const IconImage& image)
{
    QImage result(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            const Color c = image.color(x, y);
            if (image.hasAlpha())
                line[x] = argbOf(c, image.alpha[image.index(x, y)]);
            else if (!image.isMasked(x, y))
                line[x] = argbOf(c, 255);
            else if (c == kBlack)
                line[x] = qRgba(0, 0, 0, 0);
            else
                line[x] = argbOf(kBlack, 255);  // screen-inverting pixel
        }
    }
    return result;
}

std::optional<QCursor> cursorFromBytes(std::span<const std::uint8_t> file)
{
    try {
        const IconDirectory directory = readIconDirectory(file);
        if (directory.type != kIconFileType && directory.type != kCursorFileType)
            return std::nullopt;
        const IconImage image = decodeIconImage(file, directory.entries.front());
        const Point hot = directory.hotspot(0);
        const int hotX = std::clamp(hot.x, 0, image.width - 1);
        const int hotY = std::clamp(hot.y, 0, image.height - 1);
        return QCursor(QPixmap::fromImage(cursorImage(image)), hotX, hotY);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

QString findToolCursorFile(const QString& name)
{
    return findToolCursorFile(name, QCoreApplication::applicationDirPath());
}

QString findToolCursorFile(const QString& name, const QString& programFolder)
{
    // Only a regular file counts: a pipe, device or folder of that name is
    // passed over as a missing file is.
    const auto usable = [](const QString& place) { return QFileInfo(place).isFile(); };
    const QString here = QDir::current().filePath(name);
    if (usable(here))
        return here;
    const QDir program(programFolder);
    QStringList places{program.filePath(name), program.filePath(QStringLiteral(PIMOKO_DATA_DIR "/") + name)};
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("pimoko/") + name);
    if (!installed.isEmpty())
        places.append(installed);
    for (const QString& place : std::as_const(places))
        if (usable(place))
            return QDir::cleanPath(place);
    return here;
}

std::optional<QCursor> loadCursorFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    try {
        // Never waits on a pipe or device, and reads no more than a cursor
        // file can hold.
        return cursorFromBytes(readWholeFile(QFile::encodeName(path).toStdString(), WholeFile::IconLayout));
    } catch (const FileError&) {
        return std::nullopt;
    }
}

} // namespace pimoko
