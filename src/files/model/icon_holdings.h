#pragma once

#include "files/codec/icon_file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

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
};

// The holdings of an icon file that the save command would lose: several
// images, an image of another size than 32 x 32, more than 4 bits a pixel
// (or a depth it cannot tell) or a PNG image. Nothing for a file of the
// editor's own kind and for a file whose directory cannot be read.
std::optional<IconHoldings> iconHoldingsBeyondSave(std::span<const std::uint8_t> file);

// The question asked before the save command replaces such a file with one
// image of savedWidth x savedHeight, e.g. "このファイルには 4 個のイメージが
// あります。上書きすると 32 × 32 の 16 色のイメージ 1 個だけになります。
// 上書きしますか?".
std::string overwriteLossQuestion(const IconHoldings& holdings, int savedWidth, int savedHeight);

} // namespace pimoko
