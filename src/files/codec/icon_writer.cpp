#include "files/codec/icon_writer.h"

#include "files/codec/icon_file.h"
#include "raster/standard_colors.h"

#include <stdexcept>

namespace pimoko {

namespace {

static_assert(kIconColorCount == kStandardColors.size());

void checkParts(const PixelBuffer& andPart, const PixelBuffer& orPart)
{
    if (andPart.width() != orPart.width() || andPart.height() != orPart.height())
        throw std::invalid_argument("icon parts of different sizes");
    const auto fits = [](int side) { return side >= kMinWrittenIconSide && side <= kMaxWrittenIconSide; };
    if (!fits(orPart.width()) || !fits(orPart.height()))
        throw std::invalid_argument("icon size out of range");
}

} // namespace

int nearestStandardColorIndex(Color c)
{
    static const PixelFormat table = PixelFormat::indexed(4, {kStandardColors.begin(), kStandardColors.end()});
    return table.nearestIndex(c);
}

std::vector<std::uint8_t> WriteIconData(const PixelBuffer& andPart, const PixelBuffer& orPart)
{
    checkParts(andPart, orPart);
    IconFileImage image;
    image.width = orPart.width();
    image.height = orPart.height();
    image.colorCount = 4;  // planes times bits of the colour part
    image.data = iconBitmapData(
        image.width, image.height, 4, kStandardColors,
        [&](int x, int y) { return std::uint32_t(nearestStandardColorIndex(orPart.row(y)[x])); },
        [&](int x, int y) { return andPart.row(y)[x] == kWhite; });
    return iconFileBytes(kIconFileType, {&image, 1});
}

} // namespace pimoko
