#include "document/picture_files.h"

namespace pimoko {

std::variant<OpenedPicture, OpenRefusal> readPictureFile(const QString& fileName)
{
    return readPictureFile(fileName.toStdString());
}

QString refusalText(OpenRefusal refusal)
{
    return QString::fromStdString(openRefusalText(refusal));
}

QString cannotOpenText(const QString& path, const QString& reason)
{
    return QString::fromStdString(cannotOpenText(path.toStdString(), reason.toStdString()));
}

} // namespace pimoko
