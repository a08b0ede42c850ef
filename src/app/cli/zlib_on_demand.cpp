// zlib loaded the first time a PNG file's image data are inflated without
// libpng (a PNG picture passed into an icon as it is), not at every start.
// Linked into the program alone, as the libpng entry points beside it are
// (png_on_demand.cpp); the window module and the tests link zlib as usual.
// When libpng is loaded already, so is zlib, and the same library is found.
#include "app/cli/library_on_demand.h"

#include <zlib.h>

#include <dlfcn.h>

namespace {

void* library()
{
    static void* const handle = ::dlopen("libz.so.1", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

} // namespace

extern "C" {

int inflateInit_(z_streamp stream, const char* version, int streamSize)
{
    static auto* const function = pimoko::libraryFunction(library(), &inflateInit_, "inflateInit_");
    // Without the library the stream is never made, and nothing is inflated.
    return function == nullptr ? Z_VERSION_ERROR : function(stream, version, streamSize);
}

int inflate(z_streamp stream, int flush)
{
    static auto* const function = pimoko::libraryFunction(library(), &inflate, "inflate");
    return function(stream, flush);
}

int inflateEnd(z_streamp stream)
{
    static auto* const function = pimoko::libraryFunction(library(), &inflateEnd, "inflateEnd");
    return function(stream);
}

} // extern "C"
