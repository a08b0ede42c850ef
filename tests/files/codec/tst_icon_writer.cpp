#include "files/codec/icon_file.h"
#include "files/codec/icon_decode.h"
#include "files/codec/icon_writer.h"
#include "raster/icon_parts.h"
#include "raster/standard_colors.h"

#include <QTest>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

using namespace pimoko;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t u16At(const Bytes& b, std::size_t at) { return std::uint32_t(b.at(at)) | std::uint32_t(b.at(at + 1)) << 8; }
std::uint32_t u32At(const Bytes& b, std::size_t at) { return u16At(b, at) | u16At(b, at + 2) << 16; }

Bytes iconOf(const PixelBuffer& image)
{
    const IconParts parts = makeIconParts(image);
    return WriteIconData(parts.andPart, parts.orPart);
}

// A seeded random image whose colours repeat often enough to give both
// transparent and opaque pixels, some of them outside the standard colours.
PixelBuffer randomImage(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    const Color extra[] = {0x123456, 0x0000E0, 0xA0A0A0, 0x7F7F7F};
    PixelBuffer image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned pick = random() % 20;
            image.setPixel(x, y, pick < 16 ? kStandardColors[pick] : extra[pick - 16]);
        }
    }
    return image;
}

} // namespace

// The bytes of the icon layout: header, directory entry, info header, colour
// table, colour rows and mask rows; and the AND and OR parts they are made from.
class IconWriterTest : public QObject {
    Q_OBJECT
private slots:
    void thirtyTwoSquareStartsWithTheKnownBytes();
    void layoutForEverySize_data();
    void layoutForEverySize();
    void pixelsAreBottomUpHighNibbleAndMsbFirst();
    void nearestStandardColour_data();
    void nearestStandardColour();
    void partsMarkExactlyTheTopLeftColour();
    void existingReaderReadsWhatIsWritten_data();
    void existingReaderReadsWhatIsWritten();
    void refusesSizesItCannotWrite_data();
    void refusesSizesItCannotWrite();
};

void IconWriterTest::thirtyTwoSquareStartsWithTheKnownBytes()
{
    const Bytes file = iconOf(PixelBuffer(32, 32));
    QCOMPARE(file.size(), std::size_t(766));
    const Bytes start{0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x20, 0x20, 0x04, 0x00, 0x00,
                      0x00, 0x00, 0x00, 0xE8, 0x02, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00};
    QCOMPARE(Bytes(file.begin(), file.begin() + 22), start);
}

void IconWriterTest::layoutForEverySize_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("colorStride");
    QTest::addColumn<int>("maskStride");
    QTest::addColumn<int>("fileSize");
    QTest::newRow("1 x 1") << 1 << 1 << 4 << 4 << 134;
    QTest::newRow("16 x 16") << 16 << 16 << 8 << 4 << 318;
    QTest::newRow("20 x 20") << 20 << 20 << 12 << 4 << 446;
    QTest::newRow("32 x 32") << 32 << 32 << 16 << 4 << 766;
    QTest::newRow("33 x 2, mask row of 8") << 33 << 2 << 20 << 8 << 182;
    QTest::newRow("64 x 64") << 64 << 64 << 32 << 8 << 2686;
    QTest::newRow("7 x 3, not square") << 7 << 3 << 4 << 4 << 150;
}

void IconWriterTest::layoutForEverySize()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, colorStride);
    QFETCH(int, maskStride);
    QFETCH(int, fileSize);
    // Opaque white everywhere but the transparent top-left pixel, so that
    // every used nibble is F and any pixel written into padding shows.
    PixelBuffer image(width, height, kWhite);
    image.setPixel(0, 0, 0x123456);
    const Bytes file = iconOf(image);
    QCOMPARE(int(file.size()), fileSize);

    const std::uint32_t P = std::uint32_t(colorStride * height);
    QCOMPARE(u16At(file, 0), 0u);
    QCOMPARE(u16At(file, 2), 1u);
    QCOMPARE(u16At(file, 4), 1u);
    QCOMPARE(std::uint32_t(file[6]), std::uint32_t(width));
    QCOMPARE(std::uint32_t(file[7]), std::uint32_t(height));
    QCOMPARE(std::uint32_t(file[8]), 4u);
    QCOMPARE(std::uint32_t(file[9]), 0u);
    QCOMPARE(u16At(file, 10), 0u);
    QCOMPARE(u16At(file, 12), 0u);
    QCOMPARE(u32At(file, 14), std::uint32_t(fileSize - 22));
    QCOMPARE(u32At(file, 18), 22u);

    const std::uint32_t info[] = {40, std::uint32_t(width), std::uint32_t(2 * height)};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(u32At(file, 22 + 4 * std::size_t(i)), info[i]);
    QCOMPARE(u16At(file, 34), 1u);
    QCOMPARE(u16At(file, 36), 4u);
    const std::uint32_t rest[] = {0, P, 0, 0, 16, 0};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(u32At(file, 38 + 4 * std::size_t(i)), rest[i]);
    for (std::size_t i = 0; i < 16; ++i) {
        const Color c = kStandardColors[i];
        const Bytes entry{std::uint8_t(blueOf(c)), std::uint8_t(greenOf(c)), std::uint8_t(redOf(c)), 0};
        QCOMPARE(Bytes(file.begin() + 62 + 4 * long(i), file.begin() + 66 + 4 * long(i)), entry);
    }

    // Every row: its pixels, then zero padding. The first stored row is the
    // bottom one, so the transparent pixel sits in the last row of each part.
    for (int r = 0; r < height; ++r) {
        const std::size_t colorRow = 126 + std::size_t(r * colorStride);
        const std::size_t maskRow = 126 + P + std::size_t(r * maskStride);
        const bool top = r == height - 1;
        for (int x = 0; x < 2 * colorStride; ++x) {
            const int nibble = (file[colorRow + std::size_t(x / 2)] >> (x % 2 == 0 ? 4 : 0)) & 0xF;
            QCOMPARE(nibble, x >= width ? 0 : (top && x == 0) ? 0 : 15);
        }
        for (int x = 0; x < 8 * maskStride; ++x) {
            const int bit = (file[maskRow + std::size_t(x / 8)] >> (7 - x % 8)) & 1;
            QCOMPARE(bit, top && x == 0 ? 1 : 0);
        }
    }
}

void IconWriterTest::pixelsAreBottomUpHighNibbleAndMsbFirst()
{
    const Color T = 0x123456;  // transparent, not a standard colour
    PixelBuffer image(3, 2);
    const Color pixels[2][3] = {{T, 0x0000FF, 0xFF0000}, {kWhite, T, 0x00FF00}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.setPixel(x, y, pixels[y][x]);
    const Bytes file = iconOf(image);
    QCOMPARE(file.size(), std::size_t(142));
    const Bytes expected{
        0xF0, 0xA0, 0x00, 0x00,  // bottom row: white 15, transparent 0, lime 10
        0x09, 0xC0, 0x00, 0x00,  // top row: transparent 0, red 9, blue 12
        0x40, 0x00, 0x00, 0x00,  // bottom mask row: 0 1 0
        0x80, 0x00, 0x00, 0x00,  // top mask row: 1 0 0
    };
    QCOMPARE(Bytes(file.begin() + 126, file.end()), expected);
}

void IconWriterTest::nearestStandardColour_data()
{
    QTest::addColumn<Color>("color");
    QTest::addColumn<int>("index");
    for (int i = 0; i < 16; ++i)
        QTest::addRow("exact %d", i) << kStandardColors[std::size_t(i)] << i;
    QTest::newRow("near red") << Color(0x0000E0) << 9;
    QTest::newRow("near maroon") << Color(0x000070) << 1;
    QTest::newRow("dark grey to grey") << Color(0x707070) << 8;
    QTest::newRow("orange to yellow") << Color(0x00A0FF) << 11;
    QTest::newRow("squared, not summed, distance") << Color(0xC050E0) << 13;  // silver by sum
    QTest::newRow("tie black/maroon takes black") << Color(0x000040) << 0;
    QTest::newRow("tie silver/grey takes silver") << Color(0xA0A0A0) << 7;
}

void IconWriterTest::nearestStandardColour()
{
    QFETCH(Color, color);
    QFETCH(int, index);
    QCOMPARE(nearestStandardColorIndex(color), index);
    // And in the file: the second pixel of a 2 x 1 icon is the low nibble of the only colour row.
    PixelBuffer image(2, 1, 0x123456);
    image.setPixel(1, 0, color);
    QCOMPARE(int(iconOf(image).at(126) & 0x0F), index);
}

void IconWriterTest::partsMarkExactlyTheTopLeftColour()
{
    // Transparent where a pixel equals the top-left one exactly: a colour one
    // step away, black and white are all opaque.
    const Color T = 0x123456;
    const Color image[2][4] = {{T, T + 1, kBlack, 0x0000FF}, {kWhite, T, 0x00FF00, T}};
    const Color andPart[2][4] = {{kWhite, kBlack, kBlack, kBlack}, {kBlack, kWhite, kBlack, kWhite}};
    const Color orPart[2][4] = {{kBlack, T + 1, kBlack, 0x0000FF}, {kWhite, kBlack, 0x00FF00, kBlack}};
    PixelBuffer source(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            source.setPixel(x, y, image[y][x]);
    // Made afresh, and into buffers that already hold other pixels.
    IconParts fresh = makeIconParts(source);
    IconParts reused{PixelBuffer(4, 2, 0x445566), PixelBuffer(4, 2, 0x445566)};
    makeIconParts(source, reused.andPart, reused.orPart);
    for (const IconParts* parts : {&fresh, &reused}) {
        QCOMPARE(parts->andPart.width(), 4);
        QCOMPARE(parts->orPart.height(), 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) {
                QCOMPARE(parts->andPart.pixel(x, y), andPart[y][x]);
                QCOMPARE(parts->orPart.pixel(x, y), orPart[y][x]);
            }
        }
    }
    // An indexed image gives true-colour parts that keep its colours.
    PixelBuffer indexed(2, 1, kWhite, PixelFormat::indexed(1, {kBlack, 0x0000FF}));
    indexed.setPixel(1, 0, kBlack);
    const IconParts parts = makeIconParts(indexed);
    QCOMPARE(parts.orPart.format(), PixelFormat::trueColor32());
    QCOMPARE(parts.orPart.pixel(1, 0), kBlack);
    QCOMPARE(parts.andPart.pixel(0, 0), kWhite);
    QCOMPARE(parts.andPart.pixel(1, 0), kBlack);
}

void IconWriterTest::existingReaderReadsWhatIsWritten_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("1 x 1") << 1 << 1;
    QTest::newRow("5 x 3") << 5 << 3;
    QTest::newRow("20 x 20") << 20 << 20;
    QTest::newRow("32 x 32") << 32 << 32;
    QTest::newRow("33 x 17") << 33 << 17;
    QTest::newRow("64 x 64") << 64 << 64;
}

void IconWriterTest::existingReaderReadsWhatIsWritten()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const PixelBuffer image = randomImage(width, height, unsigned(width * 100 + height));
    const IconParts parts = makeIconParts(image);
    const Bytes file = WriteIconData(parts.andPart, parts.orPart);
    const IconDirectory directory = readIconDirectory(file);
    QCOMPARE(directory.type, kIconFileType);
    QCOMPARE(directory.entries.size(), std::size_t(1));
    const IconImage decoded = decodeIconImage(file, directory.entries[0]);
    QCOMPARE(decoded.width, width);
    QCOMPARE(decoded.height, height);
    QCOMPARE(decoded.bitCount, 4);
    QCOMPARE(decoded.palette, std::vector<Color>(kStandardColors.begin(), kStandardColors.end()));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool transparent = image.pixel(x, y) == image.pixel(0, 0);
            QCOMPARE(decoded.isMasked(x, y), transparent);
            const Color expected = transparent ? kBlack : kStandardColors[std::size_t(nearestStandardColorIndex(image.pixel(x, y)))];
            QCOMPARE(decoded.color(x, y), expected);
        }
    }
}

void IconWriterTest::refusesSizesItCannotWrite_data()
{
    QTest::addColumn<int>("andWidth");
    QTest::addColumn<int>("andHeight");
    QTest::addColumn<int>("orWidth");
    QTest::addColumn<int>("orHeight");
    QTest::newRow("empty") << 0 << 0 << 0 << 0;
    QTest::newRow("65 wide") << 65 << 1 << 65 << 1;
    QTest::newRow("65 high") << 1 << 65 << 1 << 65;
    QTest::newRow("parts differ") << 32 << 32 << 16 << 16;
    QTest::newRow("heights differ") << 32 << 31 << 32 << 32;
}

void IconWriterTest::refusesSizesItCannotWrite()
{
    QFETCH(int, andWidth);
    QFETCH(int, andHeight);
    QFETCH(int, orWidth);
    QFETCH(int, orHeight);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             WriteIconData(PixelBuffer(andWidth, andHeight), PixelBuffer(orWidth, orHeight)));
}

QTEST_APPLESS_MAIN(IconWriterTest)
#include "tst_icon_writer.moc"
