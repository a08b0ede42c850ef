#pragma once

#include "raster/rgba_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pimoko {

class ByteSource;
struct IconImage;

// Every image of an icon, a cursor or a program's first icon group, each
// with its own alpha, for taking icons apart and for thumbnails (the open
// command reads only the one image it chooses, see icon_picture.h).

inline constexpr const char* kNoProgramIconText = "プログラムファイルにアイコンがありません";

// One image as stored.
struct DecodedIconImage {
    int width = 0;   // the stored image's own size, whatever its entry says
    int height = 0;
    int bits = 0;    // 1, 4, 8, 24 or 32 as its bitmap header says; 32 for PNG
    RgbaImage image;  // empty for a PNG image whose pixels were left undecoded
    std::vector<std::uint8_t> storedPng;  // the image's own PNG file, when stored as one
};

// What becomes of an image stored as a PNG file.
enum class StoredPngs {
    Decoded,  // its pixels are read into image (for thumbnails and listings)
    // its chunks are checked whole, CRCs included (checkPngChunks), and its
    // pixels left undecoded: for passing the stored file on as it is
    Checked,
};

// The picture of a decoded image: with alpha values (32-bit images whose
// alpha is not all zero, PNG images) each pixel takes its colour and alpha
// as stored; otherwise a pixel whose AND-mask bit is 1 is kClear and every
// other pixel is its colour, opaque. (A masked pixel with a colour, which
// inverts the screen behind it, has no picture of its own: it is kClear.)
RgbaImage rgbaFromIconImage(const IconImage& image);

// Entries may share their data, so that a small file could name more
// pictures than memory holds: a file names at most kMaxDecodedImages images
// and their data together (counted once per entry) fits kMaxIconFileSize,
// else it is refused with FileError(fileProblemText(FileProblem::TooLarge)).
inline constexpr std::size_t kMaxDecodedImages = 256;
void checkImageAmount(std::size_t count, std::uint64_t dataSize);

// One image from its data alone (what an entry's offset and size point
// at): a PNG image, or a bitmap of 1, 4, 8, 24 or 32 bits. Anything else is
// refused with FileError(kInvalidIconText).
DecodedIconImage decodeIconImageData(std::span<const std::uint8_t> data, StoredPngs pngs = StoredPngs::Decoded);

// Every image of an icon or cursor file (header type 1 or 2), in directory
// order: bitmaps of 1, 4, 8, 24 and 32 bits and PNG images, each at its own
// size. Any other type, a cut directory and an image that cannot be decoded
// are refused with FileError(kInvalidIconText).
std::vector<DecodedIconImage> decodeIconFileImages(std::span<const std::uint8_t> file,
                                                   StoredPngs pngs = StoredPngs::Decoded);

// Every member of a program file's first icon group, in group order, decoded
// as above. A file with no icon group (not a program included) is refused
// with FileError(kNoProgramIconText); a member that is missing or cannot be
// decoded with FileError(kInvalidIconText).
// Only the program's headers, resource directories and the members' data
// are read from the source, however large the program.
std::vector<DecodedIconImage> decodeProgramIconImages(const ByteSource& file, StoredPngs pngs = StoredPngs::Decoded);
std::vector<DecodedIconImage> decodeProgramIconImages(std::span<const std::uint8_t> file);

// The image a thumbnail of size x size pixels is made from, by each image's
// larger side: the smallest image at least size pixels a side, else the
// largest. Among images of the same larger side the one of larger area
// wins, then the deeper one, then the earlier one. images must not be empty.
std::size_t chooseThumbnailImage(std::span<const DecodedIconImage> images, int size);

} // namespace pimoko
