#include "files/file_writer.h"

#include "files/codec/file_error.h"

#include <QFileInfo>
#include <QSaveFile>

namespace pimoko {

QString cannotCreateText(const QString& path, const QString& reason)
{
    return QStringLiteral("ファイル \"%1\". %2 を作成できません").arg(path, reason);
}

void writeFileAtomically(const QString& path, std::span<const std::uint8_t> bytes)
{
    const auto fail = [&path](const QString& reason) { throw FileError(cannotCreateText(path, reason).toStdString()); };
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("Is a directory"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const auto size = qint64(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}

} // namespace pimoko
