// libFuzzer harness for the icon layout reader and the icon picture: any
// bytes must either decode or be refused with FileError; nothing may read out
// of bounds or crash.
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    try {
        const pimoko::IconDirectory directory = pimoko::readIconDirectory(file);
        for (std::size_t i = 0; i < directory.entries.size(); ++i) {
            (void)directory.hotspot(i);
            try {
                const pimoko::IconImage image = pimoko::decodeIconImage(file, directory.entries[i]);
                if (image.colors.size() != std::size_t(image.width) * std::size_t(image.height)
                    || image.andMask.size() != image.colors.size())
                    __builtin_trap();
            } catch (const pimoko::FileError&) {
            }
        }
    } catch (const pimoko::FileError&) {
    }
    try {
        const pimoko::PixelBuffer picture = pimoko::readIconPicture(file);
        if (picture.width() != pimoko::kLargeIconSide || picture.height() != pimoko::kLargeIconSide)
            __builtin_trap();
    } catch (const pimoko::FileError&) {
    }
    return 0;
}
