// libFuzzer entry point for the icon layout reader and the icon picture; the checks
// are in fuzz_targets.h.
#include "fuzz_targets.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        pimoko::fuzz::iconFile({data, size});
    } catch (const pimoko::fuzz::CheckFailed& failed) {
        std::fprintf(stderr, "check failed: %s\n", failed.what);
        __builtin_trap();
    }
    return 0;
}
