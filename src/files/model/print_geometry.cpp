#include "files/model/print_geometry.h"

namespace pimoko {

PrintFactors printFactors(int printerDpiX, int printerDpiY, int screenDpiY)
{
    if (screenDpiY <= 0 || printerDpiX < 0 || printerDpiY < 0)
        return {};
    return {printerDpiX / screenDpiY, printerDpiY / screenDpiY};
}

std::vector<PrintBlock> printBlocks(const PixelBuffer& image, PrintFactors factors)
{
    std::vector<PrintBlock> blocks;
    const int blockWidth = printBlockWidth(factors);
    const int blockHeight = printBlockHeight(factors);
    if (blockWidth <= 0 || blockHeight <= 0 || image.isEmpty())
        return blocks;
    blocks.reserve(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            blocks.push_back({x * blockWidth, y * blockHeight, blockWidth, blockHeight, image.pixel(x, y)});
    return blocks;
}

} // namespace pimoko
