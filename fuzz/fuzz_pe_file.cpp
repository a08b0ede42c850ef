// libFuzzer entry point for the program-file icon reader; the checks
// are in fuzz_targets.h.
#include "fuzz_targets.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        pimoko::fuzz::peFile({data, size});
    } catch (const pimoko::fuzz::CheckFailed& failed) {
        std::fprintf(stderr, "check failed: %s\n", failed.what);
        __builtin_trap();
    }
    return 0;
}
