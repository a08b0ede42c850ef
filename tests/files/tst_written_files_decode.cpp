// What the icon and bitmap writers produce, read back by Qt's own image
// readers: every pixel must come back as the file was meant to store it.
#include "files/codec/bmp_writer.h"
#include "files/codec/icon_writer.h"
#include "raster/icon_parts.h"
#include "raster/standard_colors.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTest>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

using namespace pimoko;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t u32At(const Bytes& b, std::size_t at)
{
    return std::uint32_t(b.at(at)) | std::uint32_t(b.at(at + 1)) << 8 | std::uint32_t(b.at(at + 2)) << 16
        | std::uint32_t(b.at(at + 3)) << 24;
}

QImage readWithQt(const Bytes& file, const char* format)
{
    QByteArray data(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QImage image = reader.read();
    if (image.isNull())
        qWarning() << "Qt could not read the file:" << reader.errorString();
    return image;
}

Color colorOf(QRgb q) { return rgb(qRed(q), qGreen(q), qBlue(q)); }

// Random colours written into the buffer, which keeps what its format can hold.
void scribble(PixelBuffer& image, unsigned seed)
{
    std::mt19937 random(seed);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, Color(random() & 0xFFFFFF));
}

std::vector<Color> randomPalette(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<Color> palette;
    for (int i = 0; i < size; ++i)
        palette.push_back(Color(random() & 0xFFFFFF));
    return palette;
}

std::vector<Color> greyRamp()
{
    std::vector<Color> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(rgb(i, i, i));
    return palette;
}

PixelFormat withMasks(int bits, std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    PixelFormat f;
    f.bitsPerPixel = bits;
    f.redMask = red;
    f.greenMask = green;
    f.blueMask = blue;
    return f;
}

} // namespace

Q_DECLARE_METATYPE(pimoko::PixelFormat)

class WrittenFilesDecodeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void iconThroughQt_data();
    void iconThroughQt();
    void bitmapThroughQt_data();
    void bitmapThroughQt();
    void bitmapChannelsOutsideQtsReach_data();
    void bitmapChannelsOutsideQtsReach();
    void bitmapRefusesFormatsItCannotWrite_data();
    void bitmapRefusesFormatsItCannotWrite();
};

void WrittenFilesDecodeTest::initTestCase()
{
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    QVERIFY2(formats.contains("ico"), "Qt's ico image plugin is missing");
    QVERIFY(formats.contains("bmp"));
}

void WrittenFilesDecodeTest::iconThroughQt_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("1 x 1") << 1 << 1;
    QTest::newRow("5 x 3") << 5 << 3;
    QTest::newRow("16 x 16") << 16 << 16;
    QTest::newRow("20 x 20") << 20 << 20;
    QTest::newRow("32 x 32") << 32 << 32;
    QTest::newRow("33 x 17") << 33 << 17;
    QTest::newRow("64 x 64") << 64 << 64;
}

void WrittenFilesDecodeTest::iconThroughQt()
{
    QFETCH(int, width);
    QFETCH(int, height);
    // Half the pixels from the standard colours, so that the top-left colour
    // recurs and gives transparent pixels; the rest anything at all.
    std::mt19937 random(unsigned(width * 1000 + height));
    PixelBuffer image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random() % 2 ? kStandardColors[random() % 4] : Color(random() & 0xFFFFFF));

    const IconParts parts = makeIconParts(image);
    const QImage decoded = readWithQt(WriteIconData(parts.andPart, parts.orPart), "ico");
    QCOMPARE(decoded.size(), QSize(width, height));
    const Color transparent = image.pixel(0, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb got = decoded.pixel(x, y);
            if (image.pixel(x, y) == transparent) {
                QCOMPARE(qAlpha(got), 0);
            } else {
                QCOMPARE(qAlpha(got), 255);
                const Color nearest = kStandardColors[std::size_t(nearestStandardColorIndex(image.pixel(x, y)))];
                QCOMPARE(colorOf(got), nearest);
            }
        }
    }
}

void WrittenFilesDecodeTest::bitmapThroughQt_data()
{
    QTest::addColumn<PixelFormat>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<int>("pixelOffset");
    QTest::addColumn<int>("compression");
    QTest::addColumn<int>("colorsUsed");
    const auto indexed = [](int bits, std::vector<Color> palette) { return PixelFormat::indexed(bits, std::move(palette)); };
    QTest::newRow("1 bit black and white") << indexed(1, {kBlack, kWhite}) << 5 << 3 << 74 << 62 << 0 << 2;
    QTest::newRow("1 bit two colours, 33 wide") << indexed(1, {0x0000FF, 0x00FF00}) << 33 << 2 << 78 << 62 << 0 << 2;
    QTest::newRow("4 bit standard colours")
        << indexed(4, {kStandardColors.begin(), kStandardColors.end()}) << 5 << 3 << 130 << 118 << 0 << 16;
    QTest::newRow("4 bit, 5 colours") << indexed(4, randomPalette(5, 4)) << 7 << 3 << 86 << 74 << 0 << 5;
    QTest::newRow("8 bit grey ramp") << indexed(8, greyRamp()) << 5 << 3 << 1102 << 1078 << 0 << 256;
    QTest::newRow("8 bit, 200 colours") << indexed(8, randomPalette(200, 8)) << 32 << 32 << 1878 << 854 << 0 << 200;
    QTest::newRow("16 bit 555") << PixelFormat::rgb555() << 5 << 3 << 90 << 54 << 0 << 0;
    QTest::newRow("16 bit 565") << PixelFormat::rgb565() << 5 << 3 << 102 << 66 << 3 << 0;
    QTest::newRow("16 bit 444") << withMasks(16, 0x0F00, 0x00F0, 0x000F) << 5 << 3 << 102 << 66 << 3 << 0;
    QTest::newRow("24 bit") << PixelFormat::trueColor24() << 5 << 3 << 102 << 54 << 0 << 0;
    QTest::newRow("24 bit 32 x 32") << PixelFormat::trueColor24() << 32 << 32 << 3126 << 54 << 0 << 0;
    QTest::newRow("32 bit 32 x 32") << PixelFormat::trueColor32() << 32 << 32 << 4150 << 54 << 0 << 0;
    QTest::newRow("32 bit 5 x 3") << PixelFormat::trueColor32() << 5 << 3 << 114 << 54 << 0 << 0;
    QTest::newRow("32 bit, red and blue swapped")
        << withMasks(32, 0x000000FF, 0x0000FF00, 0x00FF0000) << 5 << 3 << 126 << 66 << 3 << 0;
    // Channels wider than 8 bits are written too, but Qt 6.4 reads them as 0.
}

void WrittenFilesDecodeTest::bitmapThroughQt()
{
    QFETCH(PixelFormat, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, fileSize);
    QFETCH(int, pixelOffset);
    QFETCH(int, compression);
    QFETCH(int, colorsUsed);
    PixelBuffer image(width, height, kWhite, format);
    scribble(image, unsigned(width * 31 + format.bitsPerPixel));

    const Bytes file = bitmapFileBytes(image);
    QCOMPARE(int(file.size()), fileSize);
    QCOMPARE(file[0], std::uint8_t('B'));
    QCOMPARE(file[1], std::uint8_t('M'));
    QCOMPARE(u32At(file, 2), std::uint32_t(fileSize));
    QCOMPARE(u32At(file, 6), 0u);
    QCOMPARE(u32At(file, 10), std::uint32_t(pixelOffset));
    QCOMPARE(u32At(file, 14), 40u);
    QCOMPARE(u32At(file, 30), std::uint32_t(compression));
    QCOMPARE(u32At(file, 34), std::uint32_t(fileSize - pixelOffset));
    QCOMPARE(u32At(file, 46), std::uint32_t(colorsUsed));

    const QImage decoded = readWithQt(file, "bmp");
    QCOMPARE(decoded.size(), QSize(width, height));
    // Qt may widen channels narrower than 8 bits by its own rule; what the
    // format keeps of Qt's colour must be exactly the stored pixel.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            QCOMPARE(format.storable(colorOf(decoded.pixel(x, y))), image.pixel(x, y));
}

// The stored pixel word where Qt cannot be asked: channels wider than 8 bits
// repeat the colour's bits to fill the field.
void WrittenFilesDecodeTest::bitmapChannelsOutsideQtsReach_data()
{
    QTest::addColumn<PixelFormat>("format");
    QTest::addColumn<Color>("color");
    QTest::addColumn<std::uint32_t>("word");
    const PixelFormat wide = withMasks(32, 0x3FF00000, 0x000FFC00, 0x000003FF);
    QTest::newRow("10 bits, full") << wide << kWhite << std::uint32_t(0x3FFFFFFF);
    QTest::newRow("10 bits, 0x80 and 0x01") << wide << rgb(0xFF, 0x80, 0x01) << std::uint32_t(0x3FF << 20 | 0x202 << 10 | 0x004);
    QTest::newRow("12-bit red at the top") << withMasks(32, 0xFFF00000, 0x000FF000, 0x00000FFF) << rgb(0xAB, 0, 0xCD)
                                           << std::uint32_t(0xABAu << 20 | 0xCDCu);
}

void WrittenFilesDecodeTest::bitmapChannelsOutsideQtsReach()
{
    QFETCH(PixelFormat, format);
    QFETCH(Color, color);
    QFETCH(std::uint32_t, word);
    const Bytes file = bitmapFileBytes(PixelBuffer(1, 1, color, format));
    QCOMPARE(file.size(), std::size_t(70));
    QCOMPARE(u32At(file, 54), format.redMask);
    QCOMPARE(u32At(file, 66), word);
}

void WrittenFilesDecodeTest::bitmapRefusesFormatsItCannotWrite_data()
{
    QTest::addColumn<PixelFormat>("format");
    QTest::addColumn<int>("width");
    QTest::newRow("empty image") << PixelFormat::trueColor32() << 0;
    QTest::newRow("2 bits") << PixelFormat::indexed(2, {kBlack}) << 1;
    QTest::newRow("3 colours in 1 bit") << PixelFormat::indexed(1, {kBlack, kWhite, 0x0000FF}) << 1;
    QTest::newRow("mask beyond 16 bits") << withMasks(16, 0x1F0000, 0x03E0, 0x001F) << 1;
    QTest::newRow("overlapping masks") << withMasks(32, 0xFF0000, 0xFFFF00, 0xFF) << 1;
    QTest::newRow("split mask") << withMasks(32, 0xF0F00000, 0xFF00, 0xFF) << 1;
    QTest::newRow("empty mask") << withMasks(16, 0x7C00, 0, 0x1F) << 1;
}

void WrittenFilesDecodeTest::bitmapRefusesFormatsItCannotWrite()
{
    QFETCH(PixelFormat, format);
    QFETCH(int, width);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, bitmapFileBytes(PixelBuffer(width, 1, kBlack, format)));
}

QTEST_MAIN(WrittenFilesDecodeTest)
#include "tst_written_files_decode.moc"
