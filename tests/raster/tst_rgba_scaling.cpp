// Thumbnail scaling: smooth area average with premultiplied alpha going
// down, whole-pixel blocks of at most four going up, proportions kept.
#include "raster/rgba_scaling.h"

#include <QTest>

#include <vector>

using namespace pimoko;

Q_DECLARE_METATYPE(std::vector<pimoko::Rgba>)

namespace {

using Pixels = std::vector<Rgba>;

RgbaImage imageOf(int width, const Pixels& pixels)
{
    RgbaImage image(width, int(pixels.size()) / width);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        image.setPixel(int(i) % width, int(i) / width, pixels[i]);
    return image;
}

constexpr Rgba grey(int v) { return {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 255}; }

} // namespace

class TestRgbaScaling : public QObject {
    Q_OBJECT
private slots:
    void thumbnailKeepsProportionsWithinTheSquare_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("newWidth");
        QTest::addColumn<int>("newHeight");
        QTest::newRow("same") << 16 << 16 << 16 << 16 << 16;
        QTest::newRow("three times") << 16 << 16 << 48 << 48 << 48;
        QTest::newRow("at most four times") << 16 << 16 << 128 << 64 << 64;
        QTest::newRow("whole blocks only") << 20 << 20 << 48 << 40 << 40;
        QTest::newRow("too large for twice") << 32 << 32 << 63 << 32 << 32;
        QTest::newRow("down") << 256 << 256 << 48 << 48 << 48;
        QTest::newRow("down, wide") << 30 << 20 << 16 << 16 << 11;
        QTest::newRow("down, tall") << 20 << 64 << 32 << 10 << 32;
        QTest::newRow("down, a line stays a pixel") << 256 << 1 << 16 << 16 << 1;
        QTest::newRow("up, wide") << 32 << 16 << 100 << 96 << 48;
    }
    void thumbnailKeepsProportionsWithinTheSquare()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, size);
        QFETCH(int, newWidth);
        QFETCH(int, newHeight);
        QCOMPARE(thumbnailSize(width, height, size), (ThumbnailSize{newWidth, newHeight}));
        const RgbaImage fitted = fitThumbnail(RgbaImage(width, height), size);
        QCOMPARE(QSize(fitted.width(), fitted.height()), QSize(newWidth, newHeight));
    }

    void shrinkAveragesTheCoveredArea_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<Pixels>("pixels");
        QTest::addColumn<int>("newWidth");
        QTest::addColumn<Pixels>("expected");
        QTest::newRow("four to one") << 2 << Pixels{grey(0), grey(100), grey(200), grey(255)} << 1 << Pixels{grey(139)};
        QTest::newRow("partly covered pixels") << 3 << Pixels{grey(0), grey(90), grey(180)} << 2
                                               << Pixels{grey(30), grey(150)};
        QTest::newRow("transparent lends no colour") << 2 << Pixels{{0, 0, 255, 255}, {255, 0, 0, 0}} << 1
                                                     << Pixels{{0, 0, 255, 128}};
        QTest::newRow("weighted by alpha") << 2 << Pixels{{255, 0, 0, 255}, {0, 0, 255, 85}} << 1
                                           << Pixels{{191, 0, 64, 170}};
        QTest::newRow("all transparent") << 2 << Pixels{{9, 9, 9, 0}, {200, 0, 0, 0}} << 1 << Pixels{kClear};
    }
    void shrinkAveragesTheCoveredArea()
    {
        QFETCH(int, width);
        QFETCH(Pixels, pixels);
        QFETCH(int, newWidth);
        QFETCH(Pixels, expected);
        const RgbaImage image = imageOf(width, pixels);
        const ThumbnailSize size = thumbnailSize(image.width(), image.height(), newWidth);
        const RgbaImage shrunk = shrinkByAreaAverage(image, size.width, size.height);
        QCOMPARE(shrunk, imageOf(newWidth, expected));
        QCOMPARE(fitThumbnail(image, newWidth), shrunk);
    }

    void enlargeRepeatsEachPixelAsABlock()
    {
        const RgbaImage image = imageOf(2, {grey(1), {1, 2, 3, 4}});
        const RgbaImage large = fitThumbnail(image, 7);
        QCOMPARE(large, enlargeByBlocks(image, 3));
        QCOMPARE(QSize(large.width(), large.height()), QSize(6, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 6; ++x)
                QCOMPARE(large.pixel(x, y), image.pixel(x / 3, 0));
    }

    void conversionsFromTheEditorsPicture()
    {
        PixelBuffer picture(2, 2, 0x0000FF);
        picture.setPixel(1, 1, 0x00FF00);
        QCOMPARE(opaqueRgbaImage(picture), imageOf(2, {opaqueRgba(0xFF), opaqueRgba(0xFF), opaqueRgba(0xFF), opaqueRgba(0xFF00)}));
        QCOMPARE(rgbaImageWithTransparentCorner(picture), imageOf(2, {kClear, kClear, kClear, opaqueRgba(0xFF00)}));
    }
};

QTEST_APPLESS_MAIN(TestRgbaScaling)
#include "tst_rgba_scaling.moc"
