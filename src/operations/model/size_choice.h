#pragma once

#include <optional>

namespace pimoko {

// The four square canvas sizes the enlarge/reduce dialog offers, by item.
inline constexpr int kCanvasSizeCount = 4;
inline constexpr int kCanvasSizes[kCanvasSizeCount] = {16, 20, 32, 64};

// The side of the canvas of an item 0..3; items outside give the first.
int canvasSizeOfItem(int item);

// The item of a square canvas of one of the four sizes; none for any other
// size, square or not.
std::optional<int> itemForCanvasSize(int width, int height);

// Millimetres at 3.405 pixels per millimetre, truncated: pixels * 1000 div 3405.
int pixelsToMillimetres(int pixels);

// What the dialog shows: the chosen item and the numbers of its four boxes.
struct SizeChoice {
    int item = 0;
    int widthPixels = 0;
    int heightPixels = 0;
    int widthMillimetres = 0;
    int heightMillimetres = 0;

    bool operator==(const SizeChoice&) const = default;
};

// The choice and numbers for an item: its size in both boxes of each row.
// Items outside 0..3 give item 0.
SizeChoice sizeChoiceForItem(int item);

// What the dialog shows on opening for an image of width x height: the item
// and numbers of that size when it is one of the four, otherwise `last`,
// the choice shown before.
SizeChoice sizeChoiceOnShow(const SizeChoice& last, int width, int height);

} // namespace pimoko
