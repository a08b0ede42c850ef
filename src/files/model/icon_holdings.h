#pragma once

#include "files/codec/icon_file.h"
#include "files/model/readable_file.h"
#include "raster/color.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// What an icon file holds beyond the one image the save command writes into
// it: the editor's own kind is one 32 x 32 image of at most 16 colours with
// its mask. Decided once, from the file's directory and the first bytes of
// its images, when the file is opened.
struct IconHoldings {
    int imageCount = 0;
    // The first image's side from the directory (0 stands for 256) and how
    // it is stored; spoken of when the file holds one image.
    int width = 0;
    int height = 0;
    IconImageStorage storage;
    // A file of one 32 x 32 image of at most 16 colours, the editor's own
    // kind but for colours outside the 16 standard ones, which saving
    // replaces with the nearest standard colours.
    bool ownColors = false;
    // The header's type word: only an icon (1) has its images kept.
    int type = 0;
    // The image the open command chose (see icon_choice.h): its index, its
    // side as stored, its bits a pixel (32 for PNG), whether it is a PNG
    // image and its colour table (1 to 8 bits). Side 0 when it could not be
    // decoded.
    std::size_t chosen = 0;
    int chosenWidth = 0;
    int chosenHeight = 0;
    int chosenBits = 0;
    bool chosenIsPng = false;
    std::vector<Color> chosenTable;
    // Whether it has pixels neither transparent nor opaque, which a drawing
    // in its place cannot keep.
    bool chosenSoftAlpha = false;
    // The file as it stood when it was read (set by whoever read it).
    FileStamp stamp;
};

// The holdings of an icon file that the save command would lose: several
// images, an image of another size than 32 x 32, more than 4 bits a pixel
// (or a depth it cannot tell) or a PNG image, or, in a file of the editor's
// own kind, colours other than the 16 standard ones. Nothing for a file of the
// editor's own kind and for a file whose directory cannot be read.
std::optional<IconHoldings> iconHoldingsBeyondSave(std::span<const std::uint8_t> file);

// The question asked before the save command replaces such a file with one
// image of savedWidth x savedHeight, e.g. "このファイルには 4 個のイメージが
// あります。上書きすると 32 × 32 の 16 色のイメージ 1 個だけになります。
// 上書きしますか?" or, for a file of its own colours, "このファイルの 16 色は
// 標準の 16 色と違います。上書きすると標準の 16 色に置き換わります。…".
std::string overwriteLossQuestion(const IconHoldings& holdings, int savedWidth, int savedHeight);

} // namespace pimoko
