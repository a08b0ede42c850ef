#pragma once

// The checks of each file-reader fuzzer, shared by the libFuzzer entry points
// in this folder and by the test that replays the kept inputs
// (tests/files/codec/tst_fuzz_replay.cpp). Any bytes must either decode or be
// refused with FileError; a broken promise of a reader throws CheckFailed,
// and memory faults are left to the sanitizers.
#include "files/codec/bmp_reader.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_decode.h"
#include "files/codec/icon_picture.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "files/codec/pe_icon.h"
#include "files/codec/png_chunks.h"
#include "files/codec/png_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pimoko::fuzz {

struct CheckFailed {
    const char* what;
};

#define PIMOKO_FUZZ_CHECK(condition)                      \
    do {                                                  \
        if (!(condition))                                 \
            throw ::pimoko::fuzz::CheckFailed{#condition}; \
    } while (false)

// The bitmap reader: a decoded picture has the size the headers gave (also
// read on their own) and holds only colours its own format can store.
inline void bmpFile(std::span<const std::uint8_t> file)
{
    try {
        const BitmapInfo info = readBitmapInfo(file);
        // The headers alone say the same of the picture's size.
        const BitmapInfo headers = readBitmapHeaders(file);
        PIMOKO_FUZZ_CHECK(headers.width == info.width && headers.height == info.height);
        // A few bytes of RLE can state 16 Mi pixels; the caps are checked
        // above, the decoding itself does not change with size.
        if (std::int64_t(info.width) * info.height > (std::int64_t(1) << 16))
            return;
        const PixelBuffer image = readBitmapFile(file);
        PIMOKO_FUZZ_CHECK(image.width() == info.width && image.height() == info.height);
        PIMOKO_FUZZ_CHECK(image.format().bitsPerPixel == info.bitsPerPixel);
        const std::size_t checked = std::min<std::size_t>(std::size_t(info.width) * std::size_t(info.height), 256);
        for (std::size_t i = 0; i < checked; ++i)
            PIMOKO_FUZZ_CHECK(image.format().storable(image.data()[i]) == image.data()[i]);
        // Saved again, it reads back the same, alpha included.
        PIMOKO_FUZZ_CHECK(readBitmapFile(bitmapFileBytes(image)) == image);
    } catch (const FileError&) {
    }
}

// An image the icon layout reader decoded: one colour, mask bit and (when
// there is alpha) alpha value per pixel, at a size of at least 1 x 1.
inline void checkIconImage(const IconImage& image)
{
    PIMOKO_FUZZ_CHECK(image.width >= 1 && image.width <= kMaxIconSide);
    PIMOKO_FUZZ_CHECK(image.height >= 1 && image.height <= kMaxIconSide);
    const std::size_t pixels = std::size_t(image.width) * std::size_t(image.height);
    PIMOKO_FUZZ_CHECK(image.colors.size() == pixels && image.andMask.size() == pixels);
    PIMOKO_FUZZ_CHECK(image.alpha.empty() || image.alpha.size() == pixels);
}

// The icon layout: every entry decoded on its own, and the picture the open
// command places, always on the white 32 x 32 square.
inline void iconFile(std::span<const std::uint8_t> file)
{
    try {
        const IconDirectory directory = readIconDirectory(file);
        PIMOKO_FUZZ_CHECK(!directory.entries.empty());
        for (std::size_t i = 0; i < directory.entries.size(); ++i) {
            (void)directory.hotspot(i);
            try {
                checkIconImage(decodeIconImage(file, directory.entries[i]));
            } catch (const FileError&) {
            }
        }
    } catch (const FileError&) {
    }
    try {
        const PixelBuffer picture = readIconPicture(file);
        PIMOKO_FUZZ_CHECK(picture.width() == kLargeIconSide && picture.height() == kLargeIconSide);
    } catch (const FileError&) {
    }
}

// The program file: always a 32 x 32 picture (its icon or the generic one),
// never an exception; a found icon lies inside the file.
inline void peFile(std::span<const std::uint8_t> file)
{
    if (const auto entry = findProgramIcon(file))
        PIMOKO_FUZZ_CHECK(std::uint64_t(entry->dataOffset) + entry->dataSize <= file.size());
    const PixelBuffer picture = readProgramIconPicture(file);
    PIMOKO_FUZZ_CHECK(picture.width() == kLargeIconSide && picture.height() == kLargeIconSide);
}

// The tool cursor loader's path: the directory, the first image (which must
// be at least 1 x 1, as the hot spot is clamped into it) and its hot spot. `draw` gets the image (the fuzzer turns it
// into the cursor's picture; the replay test has no QtGui).
template <typename Draw>
void cursorFile(std::span<const std::uint8_t> file, Draw draw)
{
    try {
        const IconDirectory directory = readIconDirectory(file);
        if (directory.type != kIconFileType && directory.type != kCursorFileType)
            return;
        const IconImage image = decodeIconImage(file, directory.entries.front());
        checkIconImage(image);
        (void)directory.hotspot(0);
        draw(image);
    } catch (const FileError&) {
    }
}

// PNG files as packing reads them: a picture within the cap with one pixel
// per position; written again it reads back the same, and packed alone into
// an icon it decodes to itself, transparent pixels as kClear; packed with
// the file to pass on, the icon's chunks pass the readers' check. Its
// chunks, checked without decoding, give the same size when they pass.
inline void pngFile(std::span<const std::uint8_t> file)
{
    std::optional<PngSize> checked;
    try {
        checked = checkPngChunks(file, kMaxPackedSide);
    } catch (const FileError&) {
    }
    RgbaImage image;
    try {
        image = readPngFile(file, kMaxPackedSide);
    } catch (const FileError&) {
        return;
    }
    PIMOKO_FUZZ_CHECK(!checked || (checked->width == image.width() && checked->height == image.height()));
    PIMOKO_FUZZ_CHECK(image.width() >= 1 && image.width() <= kMaxPackedSide);
    PIMOKO_FUZZ_CHECK(image.height() >= 1 && image.height() <= kMaxPackedSide);
    PIMOKO_FUZZ_CHECK(image.pixels().size() == std::size_t(image.width()) * std::size_t(image.height()));
    try {
        PIMOKO_FUZZ_CHECK(readPngFile(pngFileBytes(image), kMaxPackedSide) == image);
        const std::vector<DecodedIconImage> decoded = decodeIconFileImages(packIconFile(std::span(&image, 1)));
        PIMOKO_FUZZ_CHECK(decoded.size() == 1);
        const std::vector<std::uint8_t> source(file.begin(), file.end());
        const auto passedOn = packIconFile(std::span(&image, 1), std::nullopt, std::span(&source, 1));
        PIMOKO_FUZZ_CHECK(decodeIconFileImages(passedOn, StoredPngs::Checked).size() == 1);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const Rgba p = image.pixel(x, y);
                PIMOKO_FUZZ_CHECK(decoded[0].image.pixel(x, y) == (p.a == 0 ? kClear : p));
            }
    } catch (const FileError&) {
        PIMOKO_FUZZ_CHECK(!"a picture that was read can be written, packed and decoded");
    }
}

} // namespace pimoko::fuzz
