#pragma once

#include "files/model/icon_holdings.h"
#include "files/model/readable_file.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// Saving a drawing into the icon file it was opened from while keeping the
// file's other images: the drawing takes the place of the image the open
// command chose, in that image's own form, and every other image stays as
// it is, byte for byte.

// What the icon file at path holds beyond what saving over it writes, with
// its stamp (iconHoldingsBeyondSave); nothing for the editor's own kind and
// for a file that cannot be read.
std::optional<IconHoldings> readIconHoldings(const std::string& path);

// Whether the drawing can take the chosen image's place, and if not, why.
enum class KeepImages {
    Possible,
    OneImage,        // the file holds no other image
    NotAnIcon,       // header type other than 1
    ChosenSize,      // the chosen image is not 32 x 32: the drawing would lose pixels of it
    DrawingSize,     // the drawing is no longer 32 x 32
    ChosenForm,      // the chosen image is stored in a form not written again (1, 16 or 24 bits, damaged)
    ChangedOnDisk,   // the file is not the one opened, as it was opened
};

// Judged from what the file held when it was opened; ChangedOnDisk is the
// caller's to find (stillAsOpened).
KeepImages keepImages(const IconHoldings& holdings, int drawingWidth, int drawingHeight);

// The bytes of the file at path when it is still the file that was opened,
// as it was (the same stamp); nothing when it is not. A file that cannot be
// read is refused with FileError, as any read.
std::optional<std::vector<std::uint8_t>> stillAsOpened(const std::string& path, const FileStamp& stamp);

// The question before such a save, in the 確認 box: with はい offered
// (Possible), "このファイルには 4 個のイメージがあります。32 × 32 の 256 色の
// イメージを書き換え、ほかの 3 個はそのまま残しますか?" and what いいえ and
// キャンセル do, and when a colour of the drawing finds no place in the
// image's colour table, that it becomes a near one; for ChangedOnDisk why
// はい is not offered: the file changed, or the reason it cannot be read
// (unreadable, non-empty). Any other answer
// of keepImages asks overwriteLossQuestion's question with the reason
// before it (keepImagesRefusal).
std::string keepImagesQuestion(const IconHoldings& holdings, KeepImages keep, const PixelBuffer& drawing,
                               const std::string& unreadable = {});
std::string keepImagesRefusal(const IconHoldings& holdings, KeepImages keep);

// The file with the drawing in the chosen image's place: at 4 and 8 bits with
// the image's own colour table, each colour of the drawing not in it taking
// the place of an entry the drawing no longer uses (when there are not
// enough, each pixel is the nearest colour of the table); at 32 bits alpha 0 where
// the mask is set and 255 elsewhere; a PNG image encoded afresh. The
// transparent colour is the drawing's top-left pixel's, as for every saved
// icon. The other entries keep their fields and data. The file must be the
// one the holdings were read from; a drawing keepImages does not accept and
// a file that has become unreadable are refused with FileError, and so is a
// result above kMaxIconFileSize, as too large, before any data are copied.
std::vector<std::uint8_t> iconFileWithDrawing(std::span<const std::uint8_t> file, const IconHoldings& holdings,
                                              const PixelBuffer& drawing);

} // namespace pimoko
