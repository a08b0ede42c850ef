#include "files/codec/icon_picture.h"

#include "files/codec/file_error.h"
#include "files/codec/generic_app_icon.h"
#include "files/codec/icon_choice.h"
#include "files/codec/icon_decode.h"

#include <algorithm>

namespace pimoko {

namespace {

[[noreturn]] void refuse()
{
    throw FileError(kInvalidIconText);
}

std::uint8_t overWhite(int component, int alpha)
{
    return std::uint8_t((component * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

PixelBuffer drawIconOnWhite(const IconImage& image)
{
    PixelBuffer canvas(kLargeIconSide, kLargeIconSide, kWhite);
    const int width = std::min(image.width, kLargeIconSide);
    const int height = std::min(image.height, kLargeIconSide);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color c = image.color(x, y);
            if (image.hasAlpha()) {
                const int a = image.alpha[image.index(x, y)];
                canvas.setPixel(x, y, rgb(overWhite(redOf(c), a), overWhite(greenOf(c), a), overWhite(blueOf(c), a)));
            } else {
                const Color under = image.isMasked(x, y) ? kWhite : kBlack;
                canvas.setPixel(x, y, (under ^ c) & 0xFFFFFF);
            }
        }
    }
    return canvas;
}

PixelBuffer readIconPicture(std::span<const std::uint8_t> file)
{
    const IconHeader header = readIconHeader(file);
    if (header.type >= kCursorFileType)
        refuse();
    if (header.type == 0)
        return genericAppIconPicture();
    const IconDirectory directory = readIconDirectory(file);
    const IconDirEntry& entry = directory.entries[chooseIconEntry(directory)];
    return drawIconOnWhite(decodeIconEntry(file, entry, entrySide(entry.width), entrySide(entry.height)));
}

} // namespace pimoko
