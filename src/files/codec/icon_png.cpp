#include "files/codec/icon_png.h"

#include "files/codec/file_error.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <vector>

// libpng reports errors with longjmp. Jumping over a C++ object with a
// non-trivial destructor is undefined, so the code below keeps every such
// object out of the frames a jump can cross: the jump lands in readPng, whose
// own locals are all trivial; the buffers live in the caller's PngTarget and
// the libpng structures are released by the caller's guard.

namespace pimoko {

namespace {

// Memory libpng may use for one ancillary chunk (text, profiles): an icon
// needs none of them, and a small cap stops a compressed chunk from growing.
constexpr png_alloc_size_t kMaxChunkMemory = 1 << 20;

struct PngSource {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

struct PngTarget {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
    std::vector<png_bytep> rows;
};

void readBytes(png_structp png, png_bytep out, std::size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position)
        png_error(png, "data cut short");
    std::memcpy(out, source->bytes + source->position, count);
    source->position += count;
}

[[noreturn]] void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Reads the whole image into target as 8-bit RGBA rows. Returns false when
// libpng refuses the data or the image is too large.
bool readPng(png_structp png, png_infop info, PngSource* source, PngTarget* target)
{
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_read_fn(png, source, readBytes);
    png_set_user_limits(png, kMaxIconSide, kMaxIconSide);
    png_set_chunk_malloc_max(png, kMaxChunkMemory);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width < 1 || height < 1 || width > png_uint_32(kMaxIconSide) || height > png_uint_32(kMaxIconSide))
        return false;

    png_set_expand(png);           // palette to RGB, small greys to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        return false;

    target->width = width;
    target->height = height;
    target->rgba.resize(std::size_t(width) * height * 4);
    target->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        target->rows[y] = target->rgba.data() + std::size_t(y) * width * 4;
    png_read_image(png, target->rows.data());
    return true;
}

// Owns libpng's read and info structures.
class PngReadStruct {
public:
    PngReadStruct()
    {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
        if (png_ != nullptr)
            info_ = png_create_info_struct(png_);
    }
    ~PngReadStruct() { png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr); }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;

    bool valid() const { return png_ != nullptr && info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

} // namespace

bool hasPngSignature(std::span<const std::uint8_t> data)
{
    static constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return data.size() >= signature.size() && std::equal(signature.begin(), signature.end(), data.begin());
}

IconImage decodePngIconImage(std::span<const std::uint8_t> data)
{
    if (!hasPngSignature(data))
        throw FileError(kInvalidIconText);
    PngReadStruct reader;
    if (!reader.valid())
        throw FileError(kInvalidIconText);
    PngSource source{data.data(), data.size(), 0};
    PngTarget target;
    if (!readPng(reader.png(), reader.info(), &source, &target))
        throw FileError(kInvalidIconText);

    IconImage image;
    image.width = int(target.width);
    image.height = int(target.height);
    image.bitCount = 32;
    const std::size_t pixelCount = std::size_t(image.width) * std::size_t(image.height);
    image.colors.resize(pixelCount);
    image.andMask.assign(pixelCount, 0);
    image.alpha.resize(pixelCount);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        const std::uint8_t* p = target.rgba.data() + 4 * i;
        image.colors[i] = rgb(p[0], p[1], p[2]);
        image.alpha[i] = p[3];
    }
    return image;
}

} // namespace pimoko
