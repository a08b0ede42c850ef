// libFuzzer harness for the program-file icon reader: any bytes must give a
// 32 x 32 picture (the program's icon or the generic one) without an
// exception, an out-of-bounds read or a crash.
#include "files/codec/pe_icon.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    if (const auto entry = pimoko::findProgramIcon(file)) {
        if (std::uint64_t(entry->dataOffset) + entry->dataSize > size)
            __builtin_trap();
    }
    const pimoko::PixelBuffer picture = pimoko::readProgramIconPicture(file);
    if (picture.width() != 32 || picture.height() != 32)
        __builtin_trap();
    return 0;
}
