#include "operations/model/transform.h"
#include "raster/flood_fill.h"
#include "raster/pixel_buffer.h"

#include <QtTest>

using namespace pimoko;

// What a pixel buffer stores: exact colours in true colour, the nearest
// palette entry or truncated, rescaled channels in the formats of opened bitmaps.
class PixelBufferTest : public QObject {
    Q_OBJECT
private slots:
    void storableColour_data();
    void storableColour();
    void nearestPaletteEntryPrefersFirstOnTie();
    void writesOutsideAreIgnored();
    void fillRectIsHalfOpenAndClipped();
    void convertToRestoresEveryPixel();
    void rasterOperations_data();
    void rasterOperations();
    void negativeSizeGivesEmptyBuffer();
    void indexedNotXorCombinesIndices_data();
    void indexedNotXorCombinesIndices();
    void alphaOfDrawnPixels_data();
    void alphaOfDrawnPixels();
};

void PixelBufferTest::storableColour_data()
{
    QTest::addColumn<int>("format");  // 0: 32-bit, 1: 24-bit, 2: 555, 3: 565, 4: 1-bit black/white, 5: 4-bit grey ramp
    QTest::addColumn<Color>("written");
    QTest::addColumn<Color>("stored");
    QTest::newRow("32-bit exact") << 0 << Color(0x123456) << Color(0x123456);
    QTest::newRow("top byte dropped") << 0 << Color(0xFF123456) << Color(0x123456);
    QTest::newRow("24-bit exact") << 1 << Color(0xABCDEF) << Color(0xABCDEF);
    QTest::newRow("555 truncates") << 2 << Color(0x0F0F0F) << Color(0x080808);
    QTest::newRow("555 reads top bits back scaled") << 2 << Color(0x808080) << Color(0x848484);
    QTest::newRow("555 white stays white") << 2 << Color(0xFFFFFF) << Color(0xFFFFFF);
    QTest::newRow("565 green keeps six bits") << 3 << Color(0x07FF07) << Color(0x00FF00);
    QTest::newRow("1-bit dark to black") << 4 << Color(0x202020) << Color(0x000000);
    QTest::newRow("1-bit light to white") << 4 << Color(0xC0C0C0) << Color(0xFFFFFF);
    QTest::newRow("grey ramp nearest") << 5 << Color(0x0000FF) << Color(0x555555);
}

namespace {

PixelFormat formatNumber(int n)
{
    switch (n) {
    case 1: return PixelFormat::trueColor24();
    case 2: return PixelFormat::rgb555();
    case 3: return PixelFormat::rgb565();
    case 4: return PixelFormat::indexed(1, {0x000000, 0xFFFFFF});
    case 5: {
        std::vector<Color> greys;
        for (int i = 0; i < 16; ++i)
            greys.push_back(rgb(i * 0x11, i * 0x11, i * 0x11));
        return PixelFormat::indexed(4, greys);
    }
    default: return PixelFormat::trueColor32();
    }
}

} // namespace

void PixelBufferTest::storableColour()
{
    QFETCH(int, format);
    QFETCH(Color, written);
    QFETCH(Color, stored);
    PixelBuffer buffer(4, 3, kWhite, formatNumber(format));
    buffer.setPixel(2, 1, written);
    QCOMPARE(buffer.pixel(2, 1), stored);
    QCOMPARE(buffer.storable(written), stored);
    buffer.fillRect(0, 0, 4, 3, written);
    QCOMPARE(buffer.pixel(3, 2), stored);
}

void PixelBufferTest::nearestPaletteEntryPrefersFirstOnTie()
{
    const PixelFormat format = PixelFormat::indexed(8, {0x000000, 0x808080, 0x808080, 0xFFFFFF});
    QCOMPARE(format.nearestIndex(0x7F7F7F), 1);
    QCOMPARE(format.nearestIndex(0x404040), 0);  // equally near black and grey: the first
}

void PixelBufferTest::writesOutsideAreIgnored()
{
    PixelBuffer buffer(3, 3, kWhite);
    const PixelBuffer before = buffer;
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 3}, {-100000, 100000}}) {
        buffer.setPixel(x, y, kBlack);
        buffer.applyPixel(x, y, kBlack, RasterOp::NotXor);
        QVERIFY(!buffer.contains(x, y));
        QCOMPARE(buffer.pixelOr(x, y, 0x123456), Color(0x123456));
    }
    QVERIFY(buffer == before);
}

void PixelBufferTest::fillRectIsHalfOpenAndClipped()
{
    PixelBuffer buffer(6, 5, kWhite);
    buffer.fillRect(-3, 1, 2, 3, kBlack);  // columns 0..1, rows 1..2
    buffer.fillRect(4, 4, 100, 100, 0x0000FF);
    buffer.fillRect(3, 3, 3, 5, 0x00FF00);  // empty
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            Color expected = kWhite;
            if (x < 2 && y >= 1 && y < 3)
                expected = kBlack;
            if (x >= 4 && y == 4)
                expected = 0x0000FF;
            QCOMPARE(buffer.pixel(x, y), expected);
        }
}

void PixelBufferTest::convertToRestoresEveryPixel()
{
    PixelBuffer buffer(2, 1, kWhite);
    buffer.setPixel(0, 0, 0x101010);
    buffer.convertTo(PixelFormat::indexed(1, {0x000000, 0xFFFFFF}));
    QCOMPARE(buffer.pixel(0, 0), kBlack);
    QCOMPARE(buffer.pixel(1, 0), kWhite);
    buffer.setPixel(1, 0, 0x0000FF);
    QCOMPARE(buffer.pixel(1, 0), kBlack);
    buffer.convertTo(PixelFormat::trueColor32());
    buffer.setPixel(1, 0, 0x0000FF);
    QCOMPARE(buffer.pixel(1, 0), Color(0x0000FF));
}

void PixelBufferTest::rasterOperations_data()
{
    QTest::addColumn<Color>("pixel");
    QTest::addColumn<Color>("pen");
    QTest::addColumn<Color>("notXor");
    QTest::newRow("on white gives the pen") << kWhite << Color(0xFF0000) << Color(0xFF0000);
    QTest::newRow("blue on black") << kBlack << Color(0xFF0000) << Color(0x00FFFF);
    QTest::newRow("same colour gives white") << Color(0x123456) << Color(0x123456) << kWhite;
}

void PixelBufferTest::rasterOperations()
{
    QFETCH(Color, pixel);
    QFETCH(Color, pen);
    QFETCH(Color, notXor);
    QCOMPARE(combine(pixel, pen, RasterOp::NotXor), notXor);
    QCOMPARE(combine(notXor, pen, RasterOp::NotXor), pixel);
    QCOMPARE(combine(pixel, pen, RasterOp::Copy), pen);
}

// An indexed picture draws NOT-XOR on its table indices: NOT (pixel XOR pen)
// within the bits a pixel has.
void PixelBufferTest::indexedNotXorCombinesIndices_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<Color>("pixel");
    QTest::addColumn<Color>("pen");
    QTest::addColumn<Color>("drawn");
    QTest::newRow("1-bit: black on white stays black") << 4 << kWhite << kBlack << kBlack;
    QTest::newRow("1-bit: black on black turns white") << 4 << kBlack << kBlack << kWhite;
    // Indices 5 and 3: NOT 6 in four bits is 9.
    QTest::newRow("4-bit greys") << 5 << Color(0x555555) << Color(0x333333) << Color(0x999999);
}

void PixelBufferTest::indexedNotXorCombinesIndices()
{
    QFETCH(int, format);
    QFETCH(Color, pixel);
    QFETCH(Color, pen);
    QFETCH(Color, drawn);
    PixelBuffer buffer(1, 1, pixel);
    buffer.convertTo(formatNumber(format));
    buffer.applyPixel(0, 0, pen, RasterOp::NotXor);
    QCOMPARE(buffer.pixel(0, 0), drawn);
    buffer.applyPixel(0, 0, pen, RasterOp::NotXor);
    QCOMPARE(buffer.pixel(0, 0), pixel);
}

void PixelBufferTest::negativeSizeGivesEmptyBuffer()
{
    PixelBuffer buffer(-4, 7);
    QVERIFY(buffer.isEmpty());
    QCOMPARE(buffer.width(), 0);
    buffer.fill(kBlack);
    buffer.fillRect(0, 0, 10, 10, kBlack);
    QVERIFY(!buffer.contains(0, 0));
}

void PixelBufferTest::alphaOfDrawnPixels_data()
{
    QTest::addColumn<QString>("drawing");
    QTest::addColumn<QString>("alphas");  // of the three pixels afterwards
    QTest::newRow("pixel written") << "set" << "0 255 20";
    QTest::newRow("pen copied") << "copy" << "0 255 20";
    QTest::newRow("NOT-XOR figure drawn twice") << "xor twice" << "0 10 20";
    QTest::newRow("rectangle filled") << "rect" << "0 255 255";
    // Transparent black is an area of its own, filled opaque also in black.
    QTest::newRow("flood fill") << "flood" << "255 10 20";
    QTest::newRow("flood fill in the same colour") << "flood black" << "255 10 20";
    QTest::newRow("mirrored") << "mirror" << "20 10 0";
}

// A bitmap's alpha stays with its pixels; what is drawn is opaque.
void PixelBufferTest::alphaOfDrawnPixels()
{
    QFETCH(QString, drawing);
    QFETCH(QString, alphas);
    PixelFormat format;
    format.alphaMask = 0xFF000000;
    PixelBuffer image(3, 1, kBlack, format);
    for (int x = 0; x < 3; ++x)
        image.setAlpha(x, 0, std::uint8_t(x * 10));
    if (drawing == u"set")
        image.setPixel(1, 0, kWhite);
    if (drawing == u"copy")
        image.applyPixel(1, 0, kWhite, RasterOp::Copy);
    for (int i = 0; i < 2 && drawing == u"xor twice"; ++i)
        image.applyPixel(1, 0, 0x123456, RasterOp::NotXor);
    if (drawing == u"rect")
        image.fillRect(1, 0, 3, 1, kWhite);
    if (drawing.startsWith(u"flood"))
        floodFill(image, 0, 0, drawing == u"flood" ? kWhite : kBlack);
    if (drawing == u"mirror")
        image = TransformImage(image, TransformMode::MirrorLeftRight);
    QStringList got;
    for (int x = 0; x < 3; ++x)
        got << QString::number(image.alpha(x, 0));
    QCOMPARE(got.join(' '), alphas);
}

QTEST_APPLESS_MAIN(PixelBufferTest)
#include "tst_pixel_buffer.moc"
