// libFuzzer entry point for the PNG file reader (pictures to pack); the checks
// are in fuzz_targets.h.
#include "fuzz_targets.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        pimoko::fuzz::pngFile({data, size});
    } catch (const pimoko::fuzz::CheckFailed& failed) {
        std::fprintf(stderr, "check failed: %s\n", failed.what);
        __builtin_trap();
    }
    return 0;
}
