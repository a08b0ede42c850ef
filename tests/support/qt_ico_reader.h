#pragma once

#include "raster/rgba_image.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>
#include <vector>

// Qt's own ico reader as an independent judge of icon files: every image of
// the file in directory order.
inline std::vector<QImage> readIconWithQt(const std::vector<std::uint8_t>& file)
{
    QByteArray data(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    std::vector<QImage> images;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i)
        images.push_back(reader.read());
    return images;
}

// A picture Qt read, with straight alpha; a fully transparent pixel has no
// colour (kClear).
inline pimoko::RgbaImage rgbaImageOf(const QImage& qt)
{
    const QImage straight = qt.convertToFormat(QImage::Format_RGBA8888);
    pimoko::RgbaImage image(straight.width(), straight.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const uchar* p = straight.constScanLine(y) + 4 * x;
            image.setPixel(x, y, p[3] == 0 ? pimoko::kClear : pimoko::Rgba{p[0], p[1], p[2], p[3]});
        }
    return image;
}

// Empty when the pictures agree, else the first pixel that differs. Qt keeps
// icons premultiplied, so pixels are compared premultiplied: exactly where
// opaque, within 1 elsewhere. With `alphaToo` false every pixel counts as
// opaque and only those with a colour of ours are compared.
inline QString differenceFromQt(const pimoko::RgbaImage& ours, const QImage& qt, bool alphaToo = true)
{
    if (qt.width() != ours.width() || qt.height() != ours.height())
        return QStringLiteral("Qt reads %1 x %2").arg(qt.width()).arg(qt.height());
    const QImage theirs = qt.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const pimoko::Rgba p = ours.pixel(x, y);
            const QRgb t = reinterpret_cast<const QRgb*>(theirs.constScanLine(y))[x];
            const QRgb o = alphaToo ? qPremultiply(qRgba(p.r, p.g, p.b, p.a)) : qRgb(p.r, p.g, p.b);
            const int tolerance = qAlpha(o) == 255 ? 0 : 1;
            const auto near = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
            if ((alphaToo || p.a != 0)
                && !(near(qAlpha(o), qAlpha(t)) && near(qRed(o), qRed(t)) && near(qGreen(o), qGreen(t)) && near(qBlue(o), qBlue(t))))
                return QStringLiteral("(%1, %2): ours %3, Qt's %4").arg(x).arg(y).arg(o, 8, 16).arg(t, 8, 16);
        }
    return {};
}
