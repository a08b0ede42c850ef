#include "files/codec/png_file.h"

#include "files/codec/file_error.h"
#include "files/codec/png_signature.h"
#include "files/codec/system_reason.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

// libpng reports errors with longjmp, and jumping over a C++ object with a
// non-trivial destructor is undefined. So the functions holding setjmp
// (readHeader, readPixels, encode) and the callbacks libpng calls own
// nothing but plain values: the pixel buffers belong to their callers, and
// the libpng structures to guards in the callers' frames.

namespace pimoko {

namespace {

// Room libpng may take for one chunk it reads or inflates whole. The reader
// keeps no ancillary chunk but tRNS (see readHeader), and PLTE and tRNS take
// a few hundred bytes, so this is only a bound for a chunk libpng would
// handle against that setting.
constexpr png_alloc_size_t kMaxChunkMemory = png_alloc_size_t(64) << 10;
// See encode().
constexpr int kCompressionLevel = 3;
// The largest side the PNG format allows; the caller's cap is judged after
// the header, so that a large picture is told apart from a damaged one.
constexpr png_uint_32 kLargestPngSide = 0x7FFFFFFF;

[[noreturn]] void outOfMemory()
{
    throw OutOfMemoryError(fileProblemText(FileProblem::OutOfMemory));
}

// Whether libpng was ever refused memory while it worked.
struct MemoryWatch {
    bool exhausted = false;
};

// libpng's own buffers are small for the pictures read here (the pixels
// are ours, a row of libpng's own is 2 KiB at 256 pixels of 16-bit RGBA,
// zlib's window 32 KiB). Some chunk handlers ask for a chunk's stated length
// before reading it, so a few bytes stating a chunk of gigabytes would take
// that much: such a request is the file's fault, refused like damage, not as
// memory running out.
constexpr png_alloc_size_t kMaxLibpngAllocation = kMaxChunkMemory + (png_alloc_size_t(1) << 16);

png_voidp allocate(png_structp png, png_alloc_size_t size)
{
    if (size > kMaxLibpngAllocation)
        return nullptr;
    void* memory = std::malloc(size);
    if (memory == nullptr)
        static_cast<MemoryWatch*>(png_get_mem_ptr(png))->exhausted = true;
    return memory;
}

void release(png_structp, png_voidp memory)
{
    std::free(memory);
}

[[noreturn]] void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Owns libpng's read or write structure and its info structure.
class PngStructs {
public:
    PngStructs(bool reading, MemoryWatch* watch) : reading_(reading)
    {
        png_ = reading ? png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning, watch, allocate,
                                                  release)
                       : png_create_write_struct_2(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning, watch, allocate,
                                                   release);
        if (png_ != nullptr)
            info_ = png_create_info_struct(png_);
        if (info_ == nullptr) {
            destroy();
            outOfMemory();
        }
    }
    ~PngStructs() { destroy(); }
    PngStructs(const PngStructs&) = delete;
    PngStructs& operator=(const PngStructs&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    void destroy()
    {
        png_infopp info = info_ != nullptr ? &info_ : nullptr;
        if (reading_)
            png_destroy_read_struct(&png_, info, nullptr);
        else
            png_destroy_write_struct(&png_, info);
    }

    bool reading_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// ---- reading

// libpng writes each row straight into the picture's pixels.
static_assert(sizeof(Rgba) == 4 && alignof(Rgba) == 1);

struct ReadSource {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

void readBytes(png_structp png, png_bytep out, std::size_t count)
{
    auto* source = static_cast<ReadSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position)
        png_error(png, "cut short");
    std::memcpy(out, source->bytes + source->position, count);
    source->position += count;
}

// Reads the chunks before the image data; false when libpng refuses them.
// Nothing of the picture's size is allocated yet.
bool readHeader(png_structp png, png_infop info, ReadSource* source, png_uint_32* width, png_uint_32* height)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, source, readBytes);
    png_set_user_limits(png, kLargestPngSide, kLargestPngSide);
    png_set_chunk_malloc_max(png, kMaxChunkMemory);
    // Every ancillary chunk but tRNS, and every chunk libpng does not know,
    // is passed over unread but for its CRC: text, colour profiles,
    // suggested palettes and the like change no pixel read here, and kept
    // they would cost what their inflated contents take (100 zTXt chunks of
    // 7.7 KB each inflate to 790 MB of text). The image data inflate to the
    // picture's rows alone, whose size is judged before they are decoded.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    return true;
}

// Reads every pass of the pixels into rows as 8-bit RGBA; false when libpng
// refuses them.
bool readPixels(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_expand(png);  // palette to RGB, small greys to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(png_get_image_width(png, info)) * sizeof(Rgba))
        return false;
    png_read_image(png, rows);
    return true;
}

[[noreturn]] void refuseRead(const MemoryWatch& watch)
{
    if (watch.exhausted)
        outOfMemory();
    throw FileError(kInvalidPngText);
}

// ---- writing

struct WriteSink {
    std::vector<std::uint8_t>* bytes = nullptr;
};

void writeBytes(png_structp png, png_bytep data, std::size_t count)
{
    auto* sink = static_cast<WriteSink*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        sink->bytes->insert(sink->bytes->end(), data, data + count);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored)
        png_error(png, "out of memory");
}

void flushBytes(png_structp) {}

bool encode(png_structp png, png_infop info, WriteSink* sink, png_uint_32 width, png_uint_32 height, int colorType,
            png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, sink, writeBytes, flushBytes);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // zlib's fast levels (1 to 3) take the first repeat they find; 3 looks
    // furthest. One filter for every row spares libpng its trial of all five
    // on each row; Up, each byte less the one above it, is the cheapest and
    // loses little on drawings and gradients alike.
    png_set_compression_level(png, kCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::string pngTooLargeText(int width, int height, int maxSide)
{
    const auto side = [](long long value) { return std::to_string(value); };
    return "PNGイメージが大きすぎます（" + side(width) + " x " + side(height) + "、" + side(maxSide) + " x "
        + side(maxSide) + " まで）";
}

RgbaImage readPngFile(std::span<const std::uint8_t> file, int maxSide)
{
    if (!hasPngSignature(file))
        throw FileError(kInvalidPngText);

    MemoryWatch watch;
    const PngStructs structs(true, &watch);
    ReadSource source{file.data(), file.size(), 0};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    if (!readHeader(structs.png(), structs.info(), &source, &width, &height))
        refuseRead(watch);
    if (std::int64_t(width) > maxSide || std::int64_t(height) > maxSide)
        throw FileError(pngTooLargeText(int(width), int(height), maxSide));

    RgbaImage image;
    std::vector<png_bytep> rows;
    try {
        image = RgbaImage(int(width), int(height));
        rows.resize(height);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(image.row(int(y)));
    if (!readPixels(structs.png(), structs.info(), rows.data()))
        refuseRead(watch);
    return image;
}

std::vector<std::uint8_t> pngFileBytes(const RgbaImage& image, PngChannels channels)
{
    if (image.isEmpty())
        throw std::invalid_argument("an empty picture has no PNG file");
    const std::size_t sampleCount = channels == PngChannels::Rgba ? 4 : 3;
    const std::size_t stride = std::size_t(image.width()) * sampleCount;
    std::vector<std::uint8_t> samples;
    std::vector<png_bytep> rows;
    std::vector<std::uint8_t> bytes;
    try {
        samples.resize(stride * std::size_t(image.height()));
        rows.resize(std::size_t(image.height()));
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* out = samples.data() + std::size_t(y) * stride;
        rows[std::size_t(y)] = out;
        const Rgba* in = image.row(y);
        for (int x = 0; x < image.width(); ++x, out += sampleCount) {
            out[0] = in[x].r;
            out[1] = in[x].g;
            out[2] = in[x].b;
            if (sampleCount == 4)
                out[3] = in[x].a;
        }
    }

    MemoryWatch watch;
    const PngStructs structs(false, &watch);
    WriteSink sink{&bytes};
    const int colorType = channels == PngChannels::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    if (!encode(structs.png(), structs.info(), &sink, png_uint_32(image.width()), png_uint_32(image.height()),
                colorType, rows.data()))
        outOfMemory();  // every other failure is ruled out above
    return bytes;
}

std::vector<std::uint8_t> pngFileBytes(const PixelBuffer& picture)
{
    return pngFileBytes(opaqueRgbaImage(picture), PngChannels::Rgb);
}

} // namespace pimoko
