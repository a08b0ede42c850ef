// libpng loaded the first time a PNG image is read or written, not at every
// start: a conversion of a bitmap, or of an icon without PNG images, then
// loads no more than the C library. Linked into the program alone, in place
// of the entry points of libpng that the PNG reader and writer call (a
// missing one fails the link of the program), each of which forwards
// to Debian's shared library, whose security updates therefore still reach
// it. The window module and the tests link libpng as usual.
//
// The library is looked for by the loader's own rules; without it, no read
// or write structure is made, and the reader and writer give up as they do
// when memory runs out.
#include "app/cli/library_on_demand.h"

#include <png.h>

#include <dlfcn.h>

#include <cstdlib>

static_assert(PNG_LIBPNG_VER_SONUM == 16, "the library loaded below is libpng16");

namespace {

void* library()
{
    static void* const handle = ::dlopen("libpng16.so.16", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

} // namespace

// The library's own function of that name, found once. Only reached with a
// structure the library made, so the library is there.
#define PIMOKO_FORWARD(name, arguments)                                                \
    {                                                                                  \
        static auto* const function = pimoko::libraryFunction(library(), &name, #name); \
        return function arguments;                                                     \
    }

extern "C" {

png_structp png_create_read_struct_2(png_const_charp version, png_voidp errorData, png_error_ptr onError,
                                     png_error_ptr onWarning, png_voidp memoryData, png_malloc_ptr allocate,
                                     png_free_ptr release)
{
    if (library() == nullptr)
        return nullptr;
    PIMOKO_FORWARD(png_create_read_struct_2, (version, errorData, onError, onWarning, memoryData, allocate, release))
}

png_structp png_create_write_struct_2(png_const_charp version, png_voidp errorData, png_error_ptr onError,
                                      png_error_ptr onWarning, png_voidp memoryData, png_malloc_ptr allocate,
                                      png_free_ptr release)
{
    if (library() == nullptr)
        return nullptr;
    PIMOKO_FORWARD(png_create_write_struct_2, (version, errorData, onError, onWarning, memoryData, allocate, release))
}

png_infop png_create_info_struct(png_const_structrp png)
PIMOKO_FORWARD(png_create_info_struct, (png))

void png_destroy_read_struct(png_structpp png, png_infopp info, png_infopp endInfo)
{
    // Called on a structure that was never made too.
    if (png == nullptr || *png == nullptr)
        return;
    PIMOKO_FORWARD(png_destroy_read_struct, (png, info, endInfo))
}

void png_destroy_write_struct(png_structpp png, png_infopp info)
{
    if (png == nullptr || *png == nullptr)
        return;
    PIMOKO_FORWARD(png_destroy_write_struct, (png, info))
}

jmp_buf* png_set_longjmp_fn(png_structrp png, png_longjmp_ptr jump, size_t size)
PIMOKO_FORWARD(png_set_longjmp_fn, (png, jump, size))

void png_longjmp(png_const_structrp png, int value)
{
    static auto* const function = pimoko::libraryFunction(library(), &png_longjmp, "png_longjmp");
    function(png, value);
    std::abort();
}

void png_error(png_const_structrp png, png_const_charp message)
{
    static auto* const function = pimoko::libraryFunction(library(), &png_error, "png_error");
    function(png, message);
    std::abort();
}

png_voidp png_get_io_ptr(png_const_structrp png)
PIMOKO_FORWARD(png_get_io_ptr, (png))

png_voidp png_get_mem_ptr(png_const_structrp png)
PIMOKO_FORWARD(png_get_mem_ptr, (png))

void png_set_read_fn(png_structrp png, png_voidp io, png_rw_ptr read)
PIMOKO_FORWARD(png_set_read_fn, (png, io, read))

void png_set_user_limits(png_structrp png, png_uint_32 width, png_uint_32 height)
PIMOKO_FORWARD(png_set_user_limits, (png, width, height))

void png_set_chunk_malloc_max(png_structrp png, png_alloc_size_t size)
PIMOKO_FORWARD(png_set_chunk_malloc_max, (png, size))

void png_set_keep_unknown_chunks(png_structrp png, int keep, png_const_bytep chunks, int count)
PIMOKO_FORWARD(png_set_keep_unknown_chunks, (png, keep, chunks, count))

void png_read_info(png_structrp png, png_inforp info)
PIMOKO_FORWARD(png_read_info, (png, info))

png_uint_32 png_get_image_width(png_const_structrp png, png_const_inforp info)
PIMOKO_FORWARD(png_get_image_width, (png, info))

png_uint_32 png_get_image_height(png_const_structrp png, png_const_inforp info)
PIMOKO_FORWARD(png_get_image_height, (png, info))

void png_set_expand(png_structrp png)
PIMOKO_FORWARD(png_set_expand, (png))

void png_set_scale_16(png_structrp png)
PIMOKO_FORWARD(png_set_scale_16, (png))

void png_set_gray_to_rgb(png_structrp png)
PIMOKO_FORWARD(png_set_gray_to_rgb, (png))

void png_set_add_alpha(png_structrp png, png_uint_32 filler, int flags)
PIMOKO_FORWARD(png_set_add_alpha, (png, filler, flags))

int png_set_interlace_handling(png_structrp png)
PIMOKO_FORWARD(png_set_interlace_handling, (png))

void png_read_update_info(png_structrp png, png_inforp info)
PIMOKO_FORWARD(png_read_update_info, (png, info))

size_t png_get_rowbytes(png_const_structrp png, png_const_inforp info)
PIMOKO_FORWARD(png_get_rowbytes, (png, info))

void png_read_image(png_structrp png, png_bytepp rows)
PIMOKO_FORWARD(png_read_image, (png, rows))

void png_set_write_fn(png_structrp png, png_voidp io, png_rw_ptr write, png_flush_ptr flush)
PIMOKO_FORWARD(png_set_write_fn, (png, io, write, flush))

void png_set_IHDR(png_const_structrp png, png_inforp info, png_uint_32 width, png_uint_32 height, int depth,
                  int colorType, int interlace, int compression, int filter)
PIMOKO_FORWARD(png_set_IHDR, (png, info, width, height, depth, colorType, interlace, compression, filter))

void png_set_compression_level(png_structrp png, int level)
PIMOKO_FORWARD(png_set_compression_level, (png, level))

void png_set_filter(png_structrp png, int method, int filters)
PIMOKO_FORWARD(png_set_filter, (png, method, filters))

void png_write_info(png_structrp png, png_const_inforp info)
PIMOKO_FORWARD(png_write_info, (png, info))

void png_write_image(png_structrp png, png_bytepp rows)
PIMOKO_FORWARD(png_write_image, (png, rows))

void png_write_end(png_structrp png, png_inforp info)
PIMOKO_FORWARD(png_write_end, (png, info))

} // extern "C"

