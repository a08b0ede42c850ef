#include "files/codec/bmp_reader.h"
#include "files/codec/file_error.h"
#include "support/file_bytes.h"

#include <QByteArray>
#include <QTest>

#include <cstdint>
#include <vector>

using namespace pimoko;

namespace {

using Colors = std::vector<Color>;

// Distinct colours for colour tables.
Color tableColor(int i)
{
    return rgb(i * 16 + 1, 100 + i, 255 - i);
}

Colors tableColors(int count)
{
    Colors colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(tableColor(i));
    return colors;
}

// A bitmap file put together field by field; `pixels` are the stored bytes
// as they follow the colour table (rows bottom-up unless the height is
// negative, already padded).
struct BmpFile {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    int bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;  // 40 and longer headers; the table holds `palette`
    std::vector<std::uint32_t> masks;  // after a header below 52 bytes, else inside it
    Colors palette;
    Bytes gap;  // bytes between the colour table and the pixels
    Bytes pixels;

    Bytes build() const
    {
        Bytes info;
        put32(info, headerSize);
        if (headerSize == 12) {
            put16(info, unsigned(width));
            put16(info, unsigned(height));
            put16(info, 1);
            put16(info, unsigned(bits));
        } else {
            put32(info, std::uint32_t(width));
            put32(info, std::uint32_t(height));
            put16(info, 1);
            put16(info, unsigned(bits));
            put32(info, compression);
            put32(info, 0);  // image size
            put32(info, 2835);
            put32(info, 2835);
            put32(info, colorsUsed);
            put32(info, 0);
            if (headerSize >= 52)
                for (std::uint32_t m : masks)
                    put32(info, m);
            info.resize(headerSize, 0);
            if (headerSize < 52)
                for (std::uint32_t m : masks)
                    put32(info, m);
        }
        for (Color c : palette) {
            info.push_back(std::uint8_t(blueOf(c)));
            info.push_back(std::uint8_t(greenOf(c)));
            info.push_back(std::uint8_t(redOf(c)));
            if (headerSize != 12)
                info.push_back(0);
        }
        info.insert(info.end(), gap.begin(), gap.end());
        Bytes file{'B', 'M'};
        put32(file, std::uint32_t(14 + info.size() + pixels.size()));
        put32(file, 0);
        put32(file, std::uint32_t(14 + info.size()));
        file.insert(file.end(), info.begin(), info.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};

QByteArray toQt(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

Bytes fromQt(const QByteArray& bytes)
{
    return Bytes(bytes.begin(), bytes.end());
}

// 8 bits, 2 x 2, a table of 2 colours: header 14..53, table 54..61, rows
// 62..65 and 66..69.
BmpFile plain8()
{
    BmpFile f;
    f.colorsUsed = 2;
    f.palette = tableColors(2);
    f.pixels = {0, 1, 0, 0, 1, 0, 0, 0};
    return f;
}

// One 32-bit pixel with masks (alpha in the top byte) in a 124-byte header.
BmpFile onePixelV5(std::uint32_t redMask, std::uint32_t blueMask)
{
    BmpFile f;
    f.headerSize = 124;
    f.width = 1;
    f.height = 1;
    f.bits = 32;
    f.compression = 3;
    f.masks = {redMask, 0x0000FF00, blueMask, 0xFF000000};
    return f;
}

// RLE8, 2 x 2, with the codes given.
BmpFile rle8(Bytes codes)
{
    BmpFile f;
    f.compression = 1;
    f.colorsUsed = 2;
    f.palette = tableColors(2);
    f.pixels = std::move(codes);
    return f;
}

BmpFile bitFields16(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    BmpFile f;
    f.width = 1;
    f.height = 1;
    f.bits = 16;
    f.compression = 3;
    f.masks = {red, green, blue};
    f.pixels = {0xFF, 0xFF, 0, 0};
    return f;
}

} // namespace

Q_DECLARE_METATYPE(Colors)

class BmpReaderTest : public QObject {
    Q_OBJECT
private slots:
    void readsEachLayout_data();
    void readsEachLayout();
    void refusesMalformedFiles_data();
    void refusesMalformedFiles();
    void sizeCapsAreCheckedBeforeDecoding();
    void profileKeptOnlyAfterThePixels_data();
    void profileKeptOnlyAfterThePixels();
};

void BmpReaderTest::readsEachLayout_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<Colors>("pixels");  // top row first
    QTest::addColumn<int>("paletteSize");  // of the result's format

    const Color c0 = tableColor(0), c1 = tableColor(1), c2 = tableColor(2);
    {
        BmpFile f;
        f.width = 3;
        f.bits = 1;
        f.palette = tableColors(2);
        f.pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};  // bottom row 101, top row 010
        QTest::newRow("1 bit, bottom-up") << toQt(f.build()) << 3 << false << Colors{c0, c1, c0, c1, c0, c1} << 2;
    }
    {
        BmpFile f;
        f.width = 3;
        f.height = -2;
        f.bits = 4;
        f.colorsUsed = 3;
        f.palette = tableColors(3);
        f.pixels = {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0};
        QTest::newRow("4 bits, top-down") << toQt(f.build()) << 3 << true << Colors{c0, c1, c2, c2, c1, c0} << 3;
    }
    {
        BmpFile f;
        f.headerSize = 12;
        f.height = 1;
        f.palette = tableColors(256);
        f.pixels = {7, 200, 0, 0};
        QTest::newRow("core header, 3-byte table entries")
            << toQt(f.build()) << 2 << false << Colors{tableColor(7), tableColor(200)} << 256;
    }
    {
        BmpFile f = plain8();
        f.gap = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
        QTest::newRow("pixel offset past a gap") << toQt(f.build()) << 2 << false << Colors{c1, c0, c0, c1} << 2;
    }
    {
        BmpFile f = plain8();
        f.pixels = {0, 5, 0, 0, 1, 0, 0, 0};
        QTest::newRow("index beyond the table reads black")
            << toQt(f.build()) << 2 << false << Colors{c1, c0, c0, kBlack} << 6;
    }
    {
        Bytes file = plain8().build();
        file.resize(file.size() - 2);  // the last row without its padding
        QTest::newRow("last row unpadded") << toQt(file) << 2 << false << Colors{c1, c0, c0, c1} << 2;
    }
    {
        BmpFile f;
        f.width = 3;
        f.height = 1;
        f.bits = 16;
        f.pixels = {0xFF, 0x7F, 0x00, 0xFC, 0x10, 0x00, 0, 0};  // white; red 31 with the top bit set; blue 16
        QTest::newRow("16 bits 5-5-5, channels scaled")
            << toQt(f.build()) << 3 << false << Colors{0xFFFFFF, 0x0000FF, 0x840000} << 0;
    }
    {
        BmpFile f = bitFields16(0xF800, 0x07E0, 0x001F);
        f.width = 2;
        f.pixels = {0xE0, 0x07, 0x20, 0x00};  // green 63; green 1
        QTest::newRow("16 bits 5-6-5 after the header") << toQt(f.build()) << 2 << false << Colors{0x00FF00, 0x000400} << 0;
    }
    {
        BmpFile f = bitFields16(0xF800, 0x07E0, 0x001F);
        f.headerSize = 44;
        f.pixels = {0x1F, 0xF8, 0, 0};  // red 31, blue 31
        QTest::newRow("16 bits 5-6-5 after a 44-byte header") << toQt(f.build()) << 1 << false << Colors{0xFF00FF} << 0;
    }
    {
        BmpFile f = bitFields16(0x0F00, 0x00F0, 0x000F);
        f.headerSize = 52;
        f.pixels = {0x80, 0x0F, 0, 0};  // red 15, green 8
        QTest::newRow("16 bits 4-4-4 in a 52-byte header") << toQt(f.build()) << 1 << false << Colors{0x0088FF} << 0;
    }
    {
        BmpFile f;
        f.width = 1;
        f.height = 2;
        f.bits = 24;
        f.pixels = {0x30, 0x20, 0x10, 0, 0x03, 0x02, 0x01};
        QTest::newRow("24 bits") << toQt(f.build()) << 1 << false << Colors{0x030201, 0x302010} << 0;
    }
    {
        BmpFile f;
        f.width = 1;
        f.height = 1;
        f.bits = 32;
        f.pixels = {0x30, 0x20, 0x10, 0xFF};
        QTest::newRow("32 bits, top byte ignored") << toQt(f.build()) << 1 << false << Colors{0x302010} << 0;
    }
    {
        BmpFile f = onePixelV5(0x000000FF, 0x00FF0000);
        f.pixels = {0x11, 0x22, 0x33, 0x44};
        QTest::newRow("32 bits, masks and alpha in a 124-byte header")
            << toQt(f.build()) << 1 << false << Colors{0x332211} << 0;
    }
    {
        BmpFile f;
        f.width = 1;
        f.height = 1;
        f.bits = 32;
        f.compression = 6;
        f.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
        f.pixels = {0x80, 0x33, 0x22, 0x11};
        QTest::newRow("32 bits, alpha bit fields") << toQt(f.build()) << 1 << false << Colors{0x332211} << 0;
    }
    {
        BmpFile f;
        f.width = 4;
        f.height = 3;
        f.compression = 1;
        f.palette = tableColors(256);
        // two of 5; delta (1, 1); one 7; end of line; absolute 1 2 3 (padded); end
        f.pixels = {2, 5, 0, 2, 1, 1, 1, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
        const Color t[] = {tableColor(0), tableColor(1), tableColor(2), tableColor(3), tableColor(5), tableColor(7)};
        QTest::newRow("RLE8: runs, delta, end of line, skipped pixels take entry 0")
            << toQt(f.build()) << 4 << false
            << Colors{t[1], t[2], t[3], t[0], t[0], t[0], t[0], t[5], t[4], t[4], t[0], t[0]} << 256;
    }
    {
        BmpFile f;
        f.width = 8;
        f.height = 1;
        f.bits = 4;
        f.compression = 2;
        f.palette = tableColors(16);
        f.pixels = {5, 0x12, 0, 3, 0x34, 0x50, 0, 1};  // run 1 2 1 2 1; absolute 3 4 5; end
        const Colors t = tableColors(6);
        QTest::newRow("RLE4: alternating run and absolute nibbles")
            << toQt(f.build()) << 8 << false << Colors{t[1], t[2], t[1], t[2], t[1], t[3], t[4], t[5]} << 16;
    }
}

void BmpReaderTest::readsEachLayout()
{
    QFETCH(QByteArray, file);
    QFETCH(int, width);
    QFETCH(bool, topDown);
    QFETCH(Colors, pixels);
    QFETCH(int, paletteSize);
    const Bytes bytes = fromQt(file);
    const int height = int(pixels.size()) / width;

    const BitmapInfo info = readBitmapInfo(bytes);
    QCOMPARE(info.width, width);
    QCOMPARE(info.height, height);
    QCOMPARE(info.topDown, topDown);

    const PixelBuffer image = readBitmapFile(bytes);
    QCOMPARE(image.width(), width);
    QCOMPARE(image.height(), height);
    QCOMPARE(image.format().bitsPerPixel, info.bitsPerPixel);
    QCOMPARE(int(image.format().palette.size()), paletteSize);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Color got = image.pixel(x, y);
            QCOMPARE(got, pixels[std::size_t(y * width + x)]);
            // What was read is what the buffer's format holds.
            QCOMPARE(image.format().storable(got), got);
        }
}

void BmpReaderTest::refusesMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    const Bytes base = plain8().build();
    const auto cut = [&](std::size_t size) { return toQt(Bytes(base.begin(), base.begin() + std::ptrdiff_t(size))); };
    const auto with16 = [&](std::size_t at, unsigned value) {
        Bytes b = base;
        set16(b, at, value);
        return toQt(b);
    };
    const auto with32 = [&](std::size_t at, std::uint32_t value) {
        Bytes b = base;
        set32(b, at, value);
        return toQt(b);
    };

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut inside the magic") << cut(1);
    QTest::newRow("cut inside the file header") << cut(13);
    QTest::newRow("cut before the header size") << cut(14);
    QTest::newRow("cut inside the info header") << cut(40);
    QTest::newRow("cut before the colour table") << cut(54);
    QTest::newRow("cut inside the colour table") << cut(58);
    QTest::newRow("cut before the pixels") << cut(62);
    QTest::newRow("cut inside the last row") << cut(67);
    QTest::newRow("magic BA") << with16(0, 'B' | ('A' << 8));
    QTest::newRow("header size 16") << with32(14, 16);
    QTest::newRow("header size 39") << with32(14, 39);
    QTest::newRow("header longer than the file") << with32(14, 57);
    QTest::newRow("width 0") << with32(18, 0);
    QTest::newRow("width -2") << with32(18, std::uint32_t(-2));
    QTest::newRow("height 0") << with32(22, 0);
    QTest::newRow("height of the most negative") << with32(22, 0x80000000u);
    QTest::newRow("planes 2") << with16(26, 2);
    QTest::newRow("planes 0") << with16(26, 0);
    QTest::newRow("2 bits") << with16(28, 2);
    QTest::newRow("64 bits") << with16(28, 64);
    QTest::newRow("compression JPEG") << with32(30, 4);
    QTest::newRow("RLE4 at 8 bits") << with32(30, 2);
    QTest::newRow("bit fields at 8 bits") << with32(30, 3);
    QTest::newRow("image size past the end") << with32(34, 9);
    QTest::newRow("colour table past the end") << with32(46, 0x10000000);
    QTest::newRow("pixels inside the headers") << with32(10, 20);
    QTest::newRow("pixel offset past the end") << with32(10, 71);
    QTest::newRow("pixel offset leaves a row short") << with32(10, 65);

    QTest::newRow("masks overlap") << toQt(bitFields16(0xF800, 0x0FE0, 0x001F).build());
    QTest::newRow("mask not one run") << toQt(bitFields16(0xF800, 0x07E0, 0x0015).build());
    QTest::newRow("blue mask empty") << toQt(bitFields16(0xFF00, 0x00FF, 0).build());
    QTest::newRow("mask beyond 16 bits") << toQt(bitFields16(0x1F0000, 0x07E0, 0x001F).build());

    QTest::newRow("RLE run past the row") << toQt(rle8({3, 1, 0, 1}).build());
    QTest::newRow("RLE absolute run past the row") << toQt(rle8({1, 1, 0, 3, 1, 1, 1, 0, 0, 1}).build());
    QTest::newRow("RLE delta past the right edge") << toQt(rle8({0, 2, 3, 0, 0, 1}).build());
    QTest::newRow("RLE delta past the top") << toQt(rle8({0, 2, 0, 3, 0, 1}).build());
    QTest::newRow("RLE run above the last row") << toQt(rle8({0, 0, 0, 0, 1, 1, 0, 1}).build());
    QTest::newRow("RLE end of line above the last row") << toQt(rle8({0, 0, 0, 0, 0, 0, 0, 1}).build());
    QTest::newRow("RLE data ends without end of bitmap") << toQt(rle8({2, 1, 0, 0, 2, 1}).build());
    QTest::newRow("RLE absolute run cut short") << toQt(rle8({0, 4, 1}).build());
    QTest::newRow("RLE delta cut short") << toQt(rle8({0, 2, 1}).build());
    BmpFile topDownRle = rle8({2, 1, 0, 1});
    topDownRle.height = -2;
    QTest::newRow("RLE top-down") << toQt(topDownRle.build());
}

void BmpReaderTest::refusesMalformedFiles()
{
    QFETCH(QByteArray, file);
    const Bytes bytes = fromQt(file);
    try {
        readBitmapFile(bytes);
        QFAIL("read, not refused");
    } catch (const FileError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), QString::fromUtf8(kInvalidBitmapText));
    }
}

void BmpReaderTest::sizeCapsAreCheckedBeforeDecoding()
{
    // An RLE file can state a large picture in a few bytes.
    const auto info = [](std::int32_t width, std::int32_t height) {
        BmpFile f = rle8({0, 1});
        f.width = width;
        f.height = height;
        return f.build();
    };
    const BitmapInfo largest = readBitmapInfo(info(kMaxBitmapSide, int(kMaxBitmapPixels / kMaxBitmapSide)));
    QCOMPARE(largest.width, kMaxBitmapSide);
    QCOMPARE(readBitmapInfo(info(1, kMaxBitmapSide)).height, kMaxBitmapSide);
    QVERIFY_THROWS_EXCEPTION(FileError, readBitmapInfo(info(kMaxBitmapSide + 1, 1)));
    QVERIFY_THROWS_EXCEPTION(FileError, readBitmapInfo(info(1, kMaxBitmapSide + 1)));
    QVERIFY_THROWS_EXCEPTION(FileError, readBitmapInfo(info(kMaxBitmapSide, int(kMaxBitmapPixels / kMaxBitmapSide) + 1)));
}

void BmpReaderTest::profileKeptOnlyAfterThePixels_data()
{
    // The profile's place counted from the info header: four bytes either
    // after the pixel (at 124, the profile's bytes at 128) or before it (the
    // profile's bytes at 124, between the headers and the pixel at 128).
    QTest::addColumn<bool>("beforeThePixel");
    QTest::addColumn<std::uint32_t>("offset");
    QTest::addColumn<std::uint32_t>("size");
    QTest::addColumn<int>("kept");
    QTest::newRow("over the headers and pixels") << false << 0u << 132u << 0;
    QTest::newRow("over the pixel") << false << 124u << 8u << 0;
    QTest::newRow("after the pixel") << false << 128u << 4u << 4;
    QTest::newRow("between the headers and the pixel") << true << 124u << 4u << 4;
    QTest::newRow("from there into the pixel") << true << 124u << 5u << 0;
    QTest::newRow("from the header into the gap") << true << 123u << 4u << 0;
}

// A profile kept goes after the pixels of the saved file: one over the
// headers or pixels would carry them there, and is read as none.
void BmpReaderTest::profileKeptOnlyAfterThePixels()
{
    QFETCH(bool, beforeThePixel);
    QFETCH(std::uint32_t, offset);
    QFETCH(std::uint32_t, size);
    QFETCH(int, kept);
    BmpFile f = onePixelV5(0x00FF0000, 0x000000FF);
    const Bytes pixel{0x11, 0x22, 0x33, 0x44};
    const Bytes profile{'p', 'r', 'o', 'f'};
    f.gap = beforeThePixel ? profile : Bytes{};
    f.pixels = beforeThePixel ? pixel : Bytes{0x11, 0x22, 0x33, 0x44, 'p', 'r', 'o', 'f'};
    Bytes file = f.build();
    set32(file, 14 + 56, 0x4D424544);  // 'MBED'
    set32(file, 14 + 112, offset);
    set32(file, 14 + 116, size);
    const PixelBuffer image = readBitmapFile(file);
    QCOMPARE(image.pixel(0, 0), rgb(0x33, 0x22, 0x11));
    QCOMPARE(image.format().colorProfile, kept ? profile : Bytes{});
}

QTEST_APPLESS_MAIN(BmpReaderTest)
#include "tst_bmp_reader.moc"
