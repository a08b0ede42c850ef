#include "document/save_preview.h"

#include "files/codec/file_error.h"
#include "files/file_writer.h"
#include "files/state_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cinttypes>
#include <cstdio>

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

// The state file naming the last preview: its identity on the first line,
// its path on the second.
const std::string kRecordName = "save-preview";

std::string recordText(const QString& path, const SavePreview::Identity& file)
{
    char line[128];
    std::snprintf(line, sizeof line, "%" PRIu64 " %" PRIu64 " %" PRId64 " %" PRId64 " %" PRId64 "\n", file.device,
                  file.inode, file.size, file.changedSeconds, file.changedNanoseconds);
    return line + path.toStdString() + '\n';
}

std::optional<std::pair<QString, SavePreview::Identity>> parseRecord(const std::string& text)
{
    SavePreview::Identity file;
    int used = 0;
    if (std::sscanf(text.c_str(), "%" SCNu64 " %" SCNu64 " %" SCNd64 " %" SCNd64 " %" SCNd64 "\n%n", &file.device,
                    &file.inode, &file.size, &file.changedSeconds, &file.changedNanoseconds, &used) != 5
        || !text.ends_with('\n'))
        return std::nullopt;
    const std::string path = text.substr(std::size_t(used), text.size() - std::size_t(used) - 1);
    if (!path.starts_with('/') || path.find('\n') != std::string::npos)
        return std::nullopt;
    return std::pair{QString::fromStdString(path), file};
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

void SavePreview::recallEarlierRun()
{
    if (recalled_)
        return;
    recalled_ = true;
    const std::optional<std::string> text = readStateFile(stateFolder_, kRecordName);
    const auto record = text ? parseRecord(*text) : std::nullopt;
    if (record && identityOf(record->first) == record->second) {
        fileName_ = record->first;
        written_ = record->second;
    }
}

QString SavePreview::write(std::span<const std::uint8_t> bitmap)
{
    recallEarlierRun();
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
    writeStateFile(stateFolder_, kRecordName, recordText(path, *written_));
    return true;
}

void SavePreview::remove()
{
    if (isPreview(fileName_))
        QFile::remove(fileName_);
    removeStateFile(stateFolder_, kRecordName);
    fileName_.clear();
    written_.reset();
}

} // namespace pimoko
