#include "operations/model/size_choice.h"

#include <cstdint>

namespace pimoko {

int canvasSizeOfItem(int item)
{
    return item >= 0 && item < kCanvasSizeCount ? kCanvasSizes[item] : kCanvasSizes[0];
}

std::optional<int> itemForCanvasSize(int width, int height)
{
    if (width != height)
        return std::nullopt;
    for (int item = 0; item < kCanvasSizeCount; ++item)
        if (kCanvasSizes[item] == width)
            return item;
    return std::nullopt;
}

int pixelsToMillimetres(int pixels)
{
    return int(std::int64_t(pixels) * 1000 / 3405);
}

SizeChoice sizeChoiceForItem(int item)
{
    const int chosen = item >= 0 && item < kCanvasSizeCount ? item : 0;
    const int size = kCanvasSizes[chosen];
    const int millimetres = pixelsToMillimetres(size);
    return {chosen, size, size, millimetres, millimetres};
}

SizeChoice sizeChoiceOnShow(const SizeChoice& last, int width, int height)
{
    const std::optional<int> item = itemForCanvasSize(width, height);
    if (!item)
        return last;
    return {*item, width, height, pixelsToMillimetres(width), pixelsToMillimetres(height)};
}

} // namespace pimoko
