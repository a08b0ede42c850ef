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

} // namespace pimoko
