// libFuzzer entry point for the tool cursor loader's reading: the icon layout
// reader's first image turned into the cursor's ARGB picture (QtGui's QImage,
// no window system needed); the checks are in fuzz_targets.h.
#include "fuzz_targets.h"

#include "platform/cursor_loader.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        pimoko::fuzz::cursorFile({data, size}, [](const pimoko::IconImage& image) {
            const QImage picture = pimoko::cursorImage(image);
            PIMOKO_FUZZ_CHECK(picture.width() == image.width && picture.height() == image.height);
        });
    } catch (const pimoko::fuzz::CheckFailed& failed) {
        std::fprintf(stderr, "check failed: %s\n", failed.what);
        __builtin_trap();
    }
    return 0;
}
