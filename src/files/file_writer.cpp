#include "files/file_writer.h"

#include "files/codec/file_error.h"
#include "files/model/picture_reading.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pimoko {

QString cannotCreateText(const QString& path, const QString& reason)
{
    return QString::fromStdString(cannotCreateText(path.toStdString(), reason.toStdString()));
}

void writeFileAtomically(const QString& path, std::span<const std::uint8_t> bytes)
{
    const auto fail = [&path](const QString& reason) { throw FileError(cannotCreateText(path, reason).toStdString()); };
    const QFileInfo target(path);
    if (target.isDir())
        fail(QStringLiteral("Is a directory"));
    // A file the user may not write is not replaced, though its folder would
    // let the new file take its place; the system says why.
    if (target.exists() && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const auto size = qint64(bytes.size());
    // The bytes are checked to be on the disk before the new file replaces
    // the old one: QSaveFile's commit does not notice a failed flush (a full
    // disk) and would put an empty file in the target's place.
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.flush()
        || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}

} // namespace pimoko
