#include "files/model/saved_file.h"

#include "files/codec/bmp_writer.h"
#include "files/codec/icon_writer.h"
#include "files/model/file_names.h"
#include "raster/icon_parts.h"

namespace pimoko {

std::optional<SaveKind> savedKindFor(const std::string& fileName)
{
    const std::string extension = lowerCaseExtension(fileName);
    if (extension == ".ico")
        return SaveKind::Icon;
    if (extension == ".bmp")
        return SaveKind::Bitmap;
    return std::nullopt;
}

std::string saveAsFileName(const std::string& chosenName, SaveKind filter)
{
    if (savedKindFor(chosenName))
        return chosenName;
    const std::string extension = filter == SaveKind::Icon ? ".ico" : ".bmp";
    // The dot the name already ends in is the extension's own.
    return chosenName.ends_with('.') ? chosenName + extension.substr(1) : chosenName + extension;
}

std::vector<std::uint8_t> savedFileBytes(const PixelBuffer& image, SaveKind kind)
{
    if (kind == SaveKind::Bitmap)
        return bitmapFileBytes(image);
    const IconParts parts = makeIconParts(image);
    return WriteIconData(parts.andPart, parts.orPart);
}

} // namespace pimoko
