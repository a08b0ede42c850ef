// Thumbnails: proportions kept within the square; smooth area average with
// premultiplied alpha going down, whole-pixel blocks of at most four going
// up; and the editor's picture with or without its transparent colour.
#include "raster/rgba_scaling.h"

#include <QTest>

#include <vector>

using namespace pimoko;
using Pixels = std::vector<Rgba>;

namespace {

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
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("square");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("same") << QSize(16, 16) << 16 << QSize(16, 16);
        QTest::newRow("three times") << QSize(16, 16) << 48 << QSize(48, 48);
        QTest::newRow("at most four times") << QSize(16, 16) << 128 << QSize(64, 64);
        QTest::newRow("whole blocks only") << QSize(20, 20) << 48 << QSize(40, 40);
        QTest::newRow("up, wide") << QSize(32, 16) << 100 << QSize(96, 48);
        QTest::newRow("down") << QSize(256, 256) << 48 << QSize(48, 48);
        QTest::newRow("down, wide, rounded") << QSize(30, 20) << 16 << QSize(16, 11);
        QTest::newRow("down, tall") << QSize(20, 64) << 32 << QSize(10, 32);
        QTest::newRow("down, a line stays a pixel") << QSize(256, 1) << 16 << QSize(16, 1);
    }
    void thumbnailKeepsProportionsWithinTheSquare()
    {
        QFETCH(QSize, size);
        QFETCH(int, square);
        QFETCH(QSize, fitted);
        const RgbaImage image = fitThumbnail(RgbaImage(size.width(), size.height()), square);
        QCOMPARE(QSize(image.width(), image.height()), fitted);
    }

    void thumbnailPixels_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<Pixels>("pixels");
        QTest::addColumn<int>("square");
        QTest::addColumn<Pixels>("expected");  // as many rows as columns
        QTest::newRow("four to one") << 2 << Pixels{grey(0), grey(100), grey(200), grey(255)} << 1 << Pixels{grey(139)};
        QTest::newRow("partly covered pixels") << 3 << Pixels{grey(0), grey(90), grey(180)} << 2
                                               << Pixels{grey(30), grey(150)};
        QTest::newRow("transparent lends no colour") << 2 << Pixels{{0, 0, 255, 255}, {255, 0, 0, 0}} << 1
                                                     << Pixels{{0, 0, 255, 128}};
        QTest::newRow("all transparent") << 2 << Pixels{{9, 9, 9, 0}, {200, 0, 0, 0}} << 1 << Pixels{kClear};
        QTest::newRow("blocks") << 2 << Pixels{grey(1), {1, 2, 3, 4}} << 7
                                << Pixels{grey(1), grey(1), grey(1), {1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}};
    }
    void thumbnailPixels()
    {
        QFETCH(int, width);
        QFETCH(Pixels, pixels);
        QFETCH(int, square);
        QFETCH(Pixels, expected);
        const RgbaImage fitted = fitThumbnail(imageOf(width, pixels), square);
        for (int y = 0; y < fitted.height(); ++y)
            for (int x = 0; x < fitted.width(); ++x)
                QCOMPARE(fitted.pixel(x, y), expected[std::size_t(x)]);
        QCOMPARE(fitted.width(), int(expected.size()));
    }

    void conversionsFromTheEditorsPicture()
    {
        PixelBuffer picture(2, 1, 0x0000FF);
        picture.setPixel(1, 0, 0x00FF00);
        QCOMPARE(opaqueRgbaImage(picture), imageOf(2, {opaqueRgba(0xFF), opaqueRgba(0xFF00)}));
        QCOMPARE(rgbaImageWithTransparentCorner(picture), imageOf(2, {kClear, opaqueRgba(0xFF00)}));
    }
};

QTEST_APPLESS_MAIN(TestRgbaScaling)
#include "tst_rgba_scaling.moc"
