#include "document/save_preview.h"

#include "files/codec/file_error.h"
#include "files/file_writer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>

namespace pimoko {

namespace {

const QString kPreviewFolderName = QStringLiteral("アイコン");
const QString kPreviewStem = QStringLiteral("_");
const QString kPreviewExtension = QStringLiteral(".bmp");
// "_.bmp", then "_2.bmp" up to this number; beyond it there is no preview.
constexpr int kLastPreviewNumber = 99;

// The file the path names itself, links not followed: a link is never a
// preview.
std::optional<SavePreview::Identity> identityOf(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return SavePreview::Identity{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino),
                                 std::int64_t(status.st_size), std::int64_t(status.st_ctim.tv_sec),
                                 std::int64_t(status.st_ctim.tv_nsec)};
}

bool exists(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

} // namespace

QString SavePreview::folder()
{
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        desktop = QDir::homePath();
    return QDir(desktop).filePath(kPreviewFolderName);
}

bool SavePreview::isPreview(const QString& path) const
{
    return written_ && identityOf(path) == written_;
}

QString SavePreview::write(std::span<const std::uint8_t> bitmap)
{
    const QDir folder(SavePreview::folder());
    // A folder that cannot be made shows as no preview.
    QDir().mkpath(folder.path());
    // The preview written last is written over in its place, so that the
    // dialog keeps proposing the same name.
    const bool ownStillThere = isPreview(fileName_);
    const QString own = fileName_;
    fileName_.clear();
    if (ownStillThere && writeAs(own, bitmap, true))
        return fileName_;
    written_.reset();
    for (int number = 1; number <= kLastPreviewNumber; ++number) {
        const QString name = number == 1 ? kPreviewStem + kPreviewExtension
                                         : kPreviewStem + QString::number(number) + kPreviewExtension;
        const QString path = folder.filePath(name);
        if (!exists(path) && writeAs(path, bitmap, false))
            return fileName_;
        // Anything there, or anything that got there first, is someone
        // else's; a write that failed for another reason fails for every name.
        if (!exists(path))
            return {};
    }
    return {};
}

bool SavePreview::writeAs(const QString& path, std::span<const std::uint8_t> bitmap, bool replaceOwn)
{
    try {
        if (replaceOwn)
            writeFileWhole(path.toStdString(), bitmap);
        else
            writeFileWhole(path.toStdString(), bitmap, {.neverReplace = true});
    } catch (const FileError&) {
        return false;
    }
    written_ = identityOf(path);
    if (!written_)
        return false;
    fileName_ = path;
    return true;
}

void SavePreview::remove()
{
    if (isPreview(fileName_))
        QFile::remove(fileName_);
    fileName_.clear();
    written_.reset();
}

} // namespace pimoko
