// libFuzzer harness for the bitmap file reader: any bytes must either decode
// or be refused with FileError; nothing may read out of bounds or crash. A
// decoded picture must have the size the headers gave and hold only colours
// its own format can store.
#include "files/codec/bmp_reader.h"
#include "files/codec/file_error.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    try {
        const pimoko::BitmapInfo info = pimoko::readBitmapInfo(file);
        // A few bytes of RLE can state 16 Mi pixels; the caps are checked
        // above, the decoding itself does not change with size.
        if (std::int64_t(info.width) * info.height > (std::int64_t(1) << 16))
            return 0;
        const pimoko::PixelBuffer image = pimoko::readBitmapFile(file);
        if (image.width() != info.width || image.height() != info.height
            || image.format().bitsPerPixel != info.bitsPerPixel)
            __builtin_trap();
        const std::size_t checked = std::min<std::size_t>(std::size_t(info.width) * std::size_t(info.height), 256);
        for (std::size_t i = 0; i < checked; ++i)
            if (image.format().storable(image.data()[i]) != image.data()[i])
                __builtin_trap();
    } catch (const pimoko::FileError&) {
    }
    return 0;
}
