#include "platform/xpm_image.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace pimoko {

namespace {

constexpr int kMaxSide = 256;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "X c #RRGGBB" or "X c None" into colours[X]; false for anything else.
bool readColour(const char* line, std::array<QRgb, 256>& colours, std::array<bool, 256>& known)
{
    if (line == nullptr || line[0] == '\0' || std::strncmp(line + 1, " c ", 3) != 0)
        return false;
    const auto key = static_cast<unsigned char>(line[0]);
    const char* value = line + 4;
    if (std::strcmp(value, "None") == 0) {
        colours[key] = qRgba(0, 0, 0, 0);
    } else {
        if (value[0] != '#' || std::strlen(value) != 7)
            return false;
        QRgb rgb = 0;
        for (int i = 1; i <= 6; ++i) {
            const int digit = hexDigit(value[i]);
            if (digit < 0)
                return false;
            rgb = rgb << 4 | QRgb(digit);
        }
        colours[key] = 0xFF000000u | rgb;
    }
    known[key] = true;
    return true;
}

} // namespace

QImage plainXpmImage(const char* const* xpm)
{
    int width = 0;
    int height = 0;
    int colourCount = 0;
    int charsPerPixel = 0;
    if (xpm == nullptr || xpm[0] == nullptr
        || std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colourCount, &charsPerPixel) != 4
        || charsPerPixel != 1 || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide
        || colourCount < 1 || colourCount > 256)
        return {};
    std::array<QRgb, 256> colours{};
    std::array<bool, 256> known{};
    for (int i = 1; i <= colourCount; ++i)
        if (!readColour(xpm[i], colours, known))
            return {};
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const char* row = xpm[1 + colourCount + y];
        if (row == nullptr)
            return {};
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        // A short row stops at its terminating zero, which is no colour's key.
        for (int x = 0; x < width; ++x) {
            const auto key = static_cast<unsigned char>(row[x]);
            if (!known[key])
                return {};
            line[x] = colours[key];
        }
    }
    return image;
}

} // namespace pimoko
