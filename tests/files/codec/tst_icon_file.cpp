#include "files/codec/file_error.h"
#include "files/codec/generic_app_icon.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_choice.h"
#include "files/codec/icon_decode.h"
#include "files/codec/icon_picture.h"
#include "files/codec/icon_png.h"
#include "support/file_bytes.h"

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QTest>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pimoko;

namespace {


// A picture to encode, top row first: `values` holds palette indices for 1,
// 4 and 8 bits and 0x00BBGGRR colours for 24 and 32 bits.
struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::vector<Color> palette;
    std::vector<std::uint32_t> values;
    std::vector<std::uint8_t> mask;   // 1 = transparent
    std::vector<std::uint8_t> alpha;  // 32 bits only; zeros when empty
};

// Packs one row of `bits`-wide values, most significant bits first, padded to 4 bytes.
Bytes packRow(const std::vector<std::uint32_t>& values, int bits)
{
    Bytes row;
    if (bits >= 24) {
        for (std::uint32_t v : values) {
            row.push_back(std::uint8_t((v >> 16) & 0xFF));
            row.push_back(std::uint8_t((v >> 8) & 0xFF));
            row.push_back(std::uint8_t(v & 0xFF));
            if (bits == 32)
                row.push_back(std::uint8_t(v >> 24));
        }
    } else {
        unsigned acc = 0;
        int used = 0;
        for (std::uint32_t v : values) {
            acc = (acc << bits) | v;
            used += bits;
            if (used == 8) {
                row.push_back(std::uint8_t(acc));
                acc = 0;
                used = 0;
            }
        }
        if (used > 0)
            row.push_back(std::uint8_t(acc << (8 - used)));
    }
    while (row.size() % 4 != 0)
        row.push_back(0);
    return row;
}

// The entry data of a picture: info header, colour table, XOR rows, AND rows.
Bytes encode(const Picture& p)
{
    Bytes out;
    put32(out, 40);
    put32(out, std::uint32_t(p.width));
    put32(out, std::uint32_t(2 * p.height));
    put16(out, 1);
    put16(out, unsigned(p.bits));
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (Color c : p.palette) {
        out.push_back(std::uint8_t(blueOf(c)));
        out.push_back(std::uint8_t(greenOf(c)));
        out.push_back(std::uint8_t(redOf(c)));
        out.push_back(0);
    }
    set32(out, 32, std::uint32_t(p.palette.size()));
    for (int y = p.height - 1; y >= 0; --y) {
        std::vector<std::uint32_t> row;
        for (int x = 0; x < p.width; ++x) {
            const std::size_t i = std::size_t(y * p.width + x);
            std::uint32_t v = p.values[i];
            if (p.bits == 32 && !p.alpha.empty())
                v |= std::uint32_t(p.alpha[i]) << 24;
            row.push_back(v);
        }
        const Bytes packed = packRow(row, p.bits);
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (int y = p.height - 1; y >= 0; --y) {
        std::vector<std::uint32_t> row;
        for (int x = 0; x < p.width; ++x)
            row.push_back(p.mask[std::size_t(y * p.width + x)]);
        const Bytes packed = packRow(row, 1);
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

// A whole file with one entry per image; the entry's two words are the hot
// spot for type 2 and planes 1 / bit count for other types.
Bytes iconFile(int type, const std::vector<Bytes>& images, Point hotspot = {})
{
    Bytes out;
    put16(out, 0);
    put16(out, unsigned(type));
    put16(out, unsigned(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const Bytes& image : images) {
        const std::uint32_t width = image[4];
        const std::uint32_t height = image[8] / 2;
        out.push_back(std::uint8_t(width));
        out.push_back(std::uint8_t(height));
        out.push_back(0);
        out.push_back(0);
        put16(out, type == kCursorFileType ? unsigned(hotspot.x) : 1u);
        put16(out, type == kCursorFileType ? unsigned(hotspot.y) : image[14]);
        put32(out, std::uint32_t(image.size()));
        put32(out, offset);
        offset += std::uint32_t(image.size());
    }
    for (const Bytes& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

// A 3 x 2 picture: odd width so row padding matters, not square so the axes
// cannot be swapped unnoticed.
Picture threeByTwo(int bits)
{
    Picture p;
    p.width = 3;
    p.height = 2;
    p.bits = bits;
    p.mask = {0, 1, 0, 1, 0, 0};
    if (bits <= 8) {
        const int colors = 1 << bits;
        for (int i = 0; i < colors; ++i)
            p.palette.push_back(rgb(i * 7 % 256, 255 - i, i * 13 % 256));
        const std::uint32_t top = std::uint32_t(colors - 1);
        p.values = {top, 0, 1 % std::uint32_t(colors), 0, top, 1};
    } else {
        p.values = {rgb(1, 2, 3), kWhite, rgb(200, 100, 50), kBlack, rgb(10, 20, 30), rgb(255, 0, 128)};
    }
    return p;
}

void checkThrowsInvalid(const Bytes& file, bool decode)
{
    try {
        const IconDirectory directory = readIconDirectory(file);
        if (decode)
            decodeIconImage(file, directory.entries.at(0));
    } catch (const FileError& error) {
        QCOMPARE(std::string(error.what()), std::string(kInvalidIconText));
        return;
    }
    QFAIL("the malformed file was accepted");
}

Bytes readResource(const QString& name)
{
    return readFileBytes(QStringLiteral(PIMOKO_SOURCE_DIR "/resources/cursors/") + name);
}

// A 32 x 32 binary PPM as written by ImageMagick ("P6\n32 32\n255\n" then RGB).
PixelBuffer readPpm32(const QString& name)
{
    const Bytes bytes = readDataFile(name);
    const std::string head = "P6\n32 32\n255\n";
    if (bytes.size() != head.size() + 32 * 32 * 3 || !std::equal(head.begin(), head.end(), bytes.begin()))
        return {};
    PixelBuffer picture(32, 32);
    for (int i = 0; i < 32 * 32; ++i) {
        const std::uint8_t* p = bytes.data() + head.size() + 3 * i;
        picture.setPixel(i % 32, i / 32, rgb(p[0], p[1], p[2]));
    }
    return picture;
}

// Compares every pixel, each component within tolerance; names the first miss.
void comparePictures(const PixelBuffer& actual, const PixelBuffer& expected, int tolerance)
{
    QCOMPARE(actual.width(), expected.width());
    QCOMPARE(actual.height(), expected.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const Color a = actual.pixel(x, y);
            const Color e = expected.pixel(x, y);
            const bool close = std::abs(redOf(a) - redOf(e)) <= tolerance
                && std::abs(greenOf(a) - greenOf(e)) <= tolerance && std::abs(blueOf(a) - blueOf(e)) <= tolerance;
            if (!close)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x).arg(y).arg(a, 6, 16, QChar('0')).arg(e, 6, 16, QChar('0'))));
        }
}

void checkPictureRefused(const Bytes& file)
{
    try {
        readIconPicture(file);
    } catch (const FileError& error) {
        QCOMPARE(std::string(error.what()), std::string(kInvalidIconText));
        return;
    }
    QFAIL("the file was accepted");
}

} // namespace

class TestIconFile : public QObject {
    Q_OBJECT

private slots:
    void headerIsReadWithoutJudgingTypeOrCount()
    {
        const Bytes file{0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
        const IconHeader header = readIconHeader(file);
        QCOMPARE(header.reserved, 0);
        QCOMPARE(header.type, 5);
        QCOMPARE(header.count, 0);
    }

    void directoryFieldsAreReadLittleEndian()
    {
        const Bytes file{
            0x00, 0x00, 0x02, 0x00, 0x01, 0x00,              // reserved, type 2, count 1
            0x20, 0x10, 0x10, 0x01, 0x07, 0x00, 0x1E, 0x00,  // 32 x 16, colours 0x110, hot spot 7, 30
            0x34, 0x12, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00,  // size 0x1234, offset 22
        };
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.type, kCursorFileType);
        QVERIFY(directory.isCursor());
        QCOMPARE(directory.entries.size(), std::size_t(1));
        const IconDirEntry& entry = directory.entries[0];
        QCOMPARE(entry.width, 32);
        QCOMPARE(entry.height, 16);
        QCOMPARE(entry.colorCount, 0x110);
        QCOMPARE(entry.planes, 7);
        QCOMPARE(entry.bitCount, 30);
        QCOMPARE(entry.dataSize, std::uint32_t(0x1234));
        QCOMPARE(entry.dataOffset, std::uint32_t(22));
        QCOMPARE(directory.hotspot(0), (Point{7, 30}));
    }

    void iconFilesHaveNoHotspot()
    {
        const Bytes file = iconFile(kIconFileType, {encode(threeByTwo(4))});
        const IconDirectory directory = readIconDirectory(file);
        QVERIFY(!directory.isCursor());
        QCOMPARE(directory.entries[0].planes, 1);
        QCOMPARE(directory.entries[0].bitCount, 4);
        QCOMPARE(directory.hotspot(0), (Point{0, 0}));
    }

    void sizeByteZeroStaysZero()
    {
        Bytes file = iconFile(kIconFileType, {encode(threeByTwo(1))});
        file[6] = 0;
        file[7] = 0;
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.entries[0].width, 0);
        QCOMPARE(directory.entries[0].height, 0);
    }

    void everyEntryIsListedInOrder()
    {
        const Bytes file = iconFile(kIconFileType, {encode(threeByTwo(1)), encode(threeByTwo(8)), encode(threeByTwo(32))});
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.entries.size(), std::size_t(3));
        QCOMPARE(directory.entries[1].bitCount, 8);
        QCOMPARE(decodeIconImage(file, directory.entries[2]).bitCount, 32);
        QCOMPARE(decodeIconImage(file, directory.entries[0]).bitCount, 1);
    }

    // How an entry is stored, read from its first bytes; an entry whose data
    // does not lie within the file is missing, however its offset and size
    // add up in 32 bits.
    void imageStorageIsReadFromItsFirstBytes_data()
    {
        QTest::addColumn<std::uint32_t>("offset");
        QTest::addColumn<std::uint32_t>("size");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("bits");
        const int missing = int(IconImageStorage::Kind::Missing);
        QTest::newRow("bitmap of 4 bits") << 22u << 120u << int(IconImageStorage::Kind::Bitmap) << 4;
        QTest::newRow("one byte past the end") << 22u << 121u << missing << 0;
        QTest::newRow("offset plus size wraps around") << 0xFFFFFFF0u << 0x20u << missing << 0;
    }
    void imageStorageIsReadFromItsFirstBytes()
    {
        QFETCH(std::uint32_t, offset);
        QFETCH(std::uint32_t, size);
        QFETCH(int, kind);
        QFETCH(int, bits);
        const Bytes file = iconFile(kIconFileType, {encode(threeByTwo(4))});
        QCOMPARE(file.size(), std::size_t(22 + 120));
        const IconImageStorage storage = readIconImageStorage(SpanSource(file), {.dataSize = size, .dataOffset = offset});
        QCOMPARE(int(storage.kind), kind);
        QCOMPARE(storage.bits, bits);
    }

    void decodesEveryBitDepth_data()
    {
        QTest::addColumn<int>("bits");
        QTest::newRow("1 bit") << 1;
        QTest::newRow("4 bits") << 4;
        QTest::newRow("8 bits") << 8;
        QTest::newRow("24 bits") << 24;
        QTest::newRow("32 bits") << 32;
    }
    void decodesEveryBitDepth()
    {
        QFETCH(int, bits);
        const Picture picture = threeByTwo(bits);
        const Bytes file = iconFile(kIconFileType, {encode(picture)});
        const IconImage image = decodeIconImage(file, readIconDirectory(file).entries[0]);
        QCOMPARE(image.width, 3);
        QCOMPARE(image.height, 2);
        QCOMPARE(image.bitCount, bits);
        QCOMPARE(image.palette, picture.palette);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::size_t i = std::size_t(y * 3 + x);
                const Color expected = bits <= 8 ? picture.palette[picture.values[i]] : picture.values[i];
                QCOMPARE(image.color(x, y), expected);
                QCOMPARE(image.isMasked(x, y), picture.mask[i] != 0);
            }
        }
        QVERIFY(!image.hasAlpha());
    }

    // A 2 x 2 monochrome cursor written out byte by byte: white top-left,
    // black elsewhere, the top-right pixel transparent.
    void decodesHandWrittenMonochromeCursor()
    {
        const Bytes file{
            0x00, 0x00, 0x02, 0x00, 0x01, 0x00,
            0x02, 0x02, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00,
            // info header: 40 bytes, width 2, height 4, 1 plane, 1 bit, no compression
            0x28, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
            // colour table: black, white
            0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
            // XOR rows, bottom row first: 00, then 10
            0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00,
            // AND rows, bottom row first: 00, then 01
            0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
        };
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.hotspot(0), (Point{1, 0}));
        const IconImage image = decodeIconImage(file, directory.entries[0]);
        QCOMPARE(image.width, 2);
        QCOMPARE(image.height, 2);
        QCOMPARE(image.colors, (std::vector<Color>{kWhite, kBlack, kBlack, kBlack}));
        QCOMPARE(image.andMask, (std::vector<std::uint8_t>{0, 1, 0, 0}));
    }

    void alphaIsKeptWhenAnyAlphaByteIsSet()
    {
        Picture picture = threeByTwo(32);
        picture.alpha = {255, 0, 128, 0, 0, 1};
        const Bytes file = iconFile(kIconFileType, {encode(picture)});
        const IconImage image = decodeIconImage(file, readIconDirectory(file).entries[0]);
        QVERIFY(image.hasAlpha());
        QCOMPARE(image.alpha, picture.alpha);
        QCOMPARE(image.color(2, 0), rgb(200, 100, 50));
    }

    void shortColourTableIsRead()
    {
        Picture picture = threeByTwo(8);
        picture.palette.resize(2);
        picture.values = {1, 0, 1, 0, 0, 1};
        const Bytes file = iconFile(kIconFileType, {encode(picture)});
        const IconImage image = decodeIconImage(file, readIconDirectory(file).entries[0]);
        QCOMPARE(image.palette.size(), std::size_t(2));
        QCOMPARE(image.color(0, 0), picture.palette[1]);
        QCOMPARE(image.color(1, 0), picture.palette[0]);
    }

    void storedSizeWinsOverEntrySize()
    {
        Bytes file = iconFile(kIconFileType, {encode(threeByTwo(24))});
        file[6] = 32;
        file[7] = 32;
        const IconImage image = decodeIconImage(file, readIconDirectory(file).entries[0]);
        QCOMPARE(image.width, 3);
        QCOMPARE(image.height, 2);
    }

    void largestSideIsDecoded()
    {
        Picture picture;
        picture.width = kMaxIconSide;
        picture.height = 1;
        picture.bits = 1;
        picture.palette = {kBlack, kWhite};
        picture.values.assign(kMaxIconSide, 1);
        picture.mask.assign(kMaxIconSide, 0);
        picture.mask.back() = 1;
        const Bytes file = iconFile(kIconFileType, {encode(picture)});
        const IconImage image = decodeIconImage(file, readIconDirectory(file).entries[0]);
        QCOMPARE(image.width, kMaxIconSide);
        QCOMPARE(image.color(kMaxIconSide - 1, 0), kWhite);
        QVERIFY(image.isMasked(kMaxIconSide - 1, 0));
        QVERIFY(!image.isMasked(kMaxIconSide - 2, 0));
    }

    void malformedDirectoryIsRefused_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::newRow("empty") << Bytes{};
        QTest::newRow("header cut short") << Bytes{0x00, 0x00, 0x01, 0x00, 0x01};
        QTest::newRow("count 0") << Bytes{0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
        QTest::newRow("no directory") << Bytes{0x00, 0x00, 0x01, 0x00, 0x01, 0x00};
        QTest::newRow("directory one byte short")
            << Bytes{0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x10, 0x10, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00,
                     0x00, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00};
        QTest::newRow("count larger than the file")
            << Bytes{0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x10, 0x10, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00,
                     0x00, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00};
    }
    void malformedDirectoryIsRefused()
    {
        QFETCH(Bytes, file);
        checkThrowsInvalid(file, false);
    }

    void malformedImageIsRefused_data()
    {
        QTest::addColumn<Bytes>("file");
        const Bytes good = iconFile(kIconFileType, {encode(threeByTwo(4))});
        constexpr std::size_t entry = 6;
        constexpr std::size_t info = 22;

        auto patched = [&](std::size_t at, std::uint32_t value) {
            Bytes file = good;
            set32(file, at, value);
            return file;
        };
        auto patched16 = [&](std::size_t at, unsigned value) {
            Bytes file = good;
            file[at] = std::uint8_t(value & 0xFF);
            file[at + 1] = std::uint8_t(value >> 8);
            return file;
        };

        QTest::newRow("offset past the end") << patched(entry + 12, std::uint32_t(good.size()) + 1);
        QTest::newRow("offset plus size wraps around") << [&] {
            Bytes file = patched(entry + 12, 0xFFFFFFF0u);
            set32(file, entry + 8, 0x20);
            return file;
        }();
        QTest::newRow("size past the end") << patched(entry + 8, std::uint32_t(good.size()));
        QTest::newRow("size too small for the header") << patched(entry + 8, 39);
        QTest::newRow("size cuts the AND mask") << patched(entry + 8, std::uint32_t(good.size() - info - 1));
        QTest::newRow("file cut inside the AND mask") << Bytes(good.begin(), good.end() - 1);
        QTest::newRow("core header") << patched(info, 12);
        QTest::newRow("header size 0") << patched(info, 0);
        QTest::newRow("header larger than the data") << patched(info, 0xFFFFFFFFu);
        QTest::newRow("width 0") << patched(info + 4, 0);
        QTest::newRow("width negative") << patched(info + 4, 0xFFFFFFFDu);
        QTest::newRow("width beyond the cap") << patched(info + 4, kMaxIconSide + 1);
        QTest::newRow("height 0") << patched(info + 8, 0);
        QTest::newRow("height odd") << patched(info + 8, 3);
        QTest::newRow("height negative (top-down)") << patched(info + 8, 0xFFFFFFFCu);
        QTest::newRow("height beyond the cap") << patched(info + 8, 2 * kMaxIconSide + 2);
        QTest::newRow("planes 0") << patched16(info + 12, 0);
        QTest::newRow("planes 2") << patched16(info + 12, 2);
        QTest::newRow("bit depth 2") << patched16(info + 14, 2);
        QTest::newRow("bit depth 16") << patched16(info + 14, 16);
        QTest::newRow("run-length compressed") << patched(info + 16, 2);
        QTest::newRow("bit-field compression") << patched(info + 16, 3);
        QTest::newRow("more colours than the depth holds") << patched(info + 32, 17);
        QTest::newRow("pixel index past a short table") << patched(info + 32, 1);
        QTest::newRow("PNG image") << [&] {
            Bytes file = good;
            const Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
            std::copy(png.begin(), png.end(), file.begin() + info);
            return file;
        }();
    }
    void malformedImageIsRefused()
    {
        QFETCH(Bytes, file);
        checkThrowsInvalid(file, true);
    }

    void shippedToolCursorsDecode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("pen") << QStringLiteral("pen.cur");
        QTest::newRow("spoid") << QStringLiteral("spoid.cur");
        QTest::newRow("paint") << QStringLiteral("paint.cur");
        QTest::newRow("line") << QStringLiteral("line.cur");
    }
    void shippedToolCursorsDecode()
    {
        QFETCH(QString, name);
        const Bytes file = readResource(name);
        QVERIFY2(!file.empty(), qPrintable(name));
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.type, kCursorFileType);
        QCOMPARE(directory.entries.size(), std::size_t(1));
        QCOMPARE(directory.entries[0].width, 32);
        QCOMPARE(directory.entries[0].height, 32);
        const IconImage image = decodeIconImage(file, directory.entries[0]);
        QCOMPARE(image.width, 32);
        QCOMPARE(image.height, 32);

        const Point hot = directory.hotspot(0);
        QVERIFY(hot.x >= 0 && hot.x < 32 && hot.y >= 0 && hot.y < 32);
        // The hot spot lies on the drawing or right beside it.
        bool drawnNearby = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = hot.x + dx;
                const int y = hot.y + dy;
                if (x >= 0 && y >= 0 && x < 32 && y < 32 && !image.isMasked(x, y))
                    drawnNearby = true;
            }
        QVERIFY(drawnNearby);

        // Some pixels show, most are see-through.
        int opaque = 0;
        for (std::uint8_t m : image.andMask)
            opaque += m == 0 ? 1 : 0;
        QVERIFY(opaque > 20);
        QVERIFY(opaque < 32 * 32 / 2);
    }

    // Entries written "WxH/colours", in directory order.
    void chooseIconEntryFollowsTheSizeAndColourRule_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<int>("chosen");
        QTest::newRow("16 then 32 takes 32") << "16x16/16 32x32/16" << 1;
        QTest::newRow("32 then 16 keeps 32") << "32x32/16 16x16/16" << 0;
        QTest::newRow("two 32s take the later") << "32x32/16 32x32/16" << 1;
        QTest::newRow("two 48s take the later") << "48x48/16 48x48/16" << 1;
        QTest::newRow("fewer colours lose") << "32x32/16 32x32/2" << 0;
        QTest::newRow("more colours win") << "32x32/2 32x32/16" << 1;
        QTest::newRow("colour word 0 is unlimited") << "32x32/0 32x32/256" << 0;
        QTest::newRow("unlimited beats 256") << "32x32/256 32x32/0" << 1;
        QTest::newRow("equally far, smaller wins") << "48x48/16 16x16/16" << 1;
        QTest::newRow("equally far, larger loses") << "16x16/16 48x48/16" << 0;
        QTest::newRow("nearer but larger than both") << "64x64/16 48x48/16" << 1;
        QTest::newRow("size byte 0 counts as 0, not 256") << "0x0/0 48x48/0" << 0;
        QTest::newRow("24 32 16 takes 32") << "24x24/0 32x32/0 16x16/0" << 1;
        QTest::newRow("each axis must be no worse") << "32x16/16 16x32/16" << 0;
        QTest::newRow("height alone decides") << "32x16/16 32x32/16" << 1;
        QTest::newRow("a worse entry in between") << "16x16/16 48x48/16 32x32/16" << 2;
    }
    void chooseIconEntryFollowsTheSizeAndColourRule()
    {
        QFETCH(QString, entries);
        QFETCH(int, chosen);
        IconDirectory directory;
        directory.type = kIconFileType;
        for (const QString& item : entries.split(' ')) {
            const QStringList parts = item.split(QRegularExpression(QStringLiteral("[x/]")));
            IconDirEntry entry;
            entry.width = parts[0].toInt();
            entry.height = parts[1].toInt();
            entry.colorCount = parts[2].toInt();
            directory.entries.push_back(entry);
        }
        QCOMPARE(chooseIconEntry(directory), std::size_t(chosen));
    }

    // Files made by icotool and ImageMagick, against ImageMagick's own
    // rendering of the entry that should be chosen. Alpha blending may round
    // one step differently; 16-bit PNG channels are brought to 8 bits before
    // blending here but blended at 16 bits there, which may make two steps.
    void iconFilesOfOtherToolsMatchTheirRendering_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("1 bit") << "depth1" << 0;
        QTest::newRow("4 bits, 16 and 32") << "depth4_16_32" << 0;
        QTest::newRow("8 bits") << "depth8" << 0;
        QTest::newRow("24 bits") << "depth24" << 0;
        QTest::newRow("32 bits with alpha") << "depth32_alpha" << 1;
        QTest::newRow("two 32s") << "two32" << 0;
        QTest::newRow("16 only, top-left quarter") << "only16" << 0;
        QTest::newRow("48 only, cut") << "only48" << 0;
        QTest::newRow("16-bit PNG chosen after 16 and 32") << "mixed_png" << 2;
        QTest::newRow("16-bit grey PNG") << "png_gray16" << 2;
        QTest::newRow("ImageMagick 24, 32, 16") << "imagemagick_sizes" << 1;
    }
    void iconFilesOfOtherToolsMatchTheirRendering()
    {
        QFETCH(QString, name);
        QFETCH(int, tolerance);
        const Bytes file = readDataFile(QStringLiteral("icons/") + name + QStringLiteral(".ico"));
        const PixelBuffer expected = readPpm32(QStringLiteral("icons/") + name + QStringLiteral(".ppm"));
        QVERIFY(!file.empty() && !expected.isEmpty());
        comparePictures(readIconPicture(file), expected, tolerance);
    }

    // Without alpha: (white AND mask) XOR colour. With alpha: blended over white.
    void drawingOnWhiteFollowsMaskOrAlpha_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<std::vector<std::uint8_t>>("alpha");
        QTest::addColumn<std::vector<Color>>("expected");  // the 3 x 2 corner
        QTest::newRow("4 bits") << 4 << std::vector<std::uint8_t>{}
                                << std::vector<Color>{rgb(105, 240, 195), rgb(255, 0, 255), rgb(7, 254, 13),
                                                      rgb(255, 0, 255), rgb(105, 240, 195), rgb(7, 254, 13)};
        QTest::newRow("24 bits") << 24 << std::vector<std::uint8_t>{}
                                 << std::vector<Color>{rgb(1, 2, 3), kBlack, rgb(200, 100, 50), kWhite,
                                                       rgb(10, 20, 30), rgb(255, 0, 128)};
        QTest::newRow("32 bits, alpha all 0") << 32 << std::vector<std::uint8_t>(6, 0)
                                              << std::vector<Color>{rgb(1, 2, 3), kBlack, rgb(200, 100, 50),
                                                                    kWhite, rgb(10, 20, 30), rgb(255, 0, 128)};
        QTest::newRow("32 bits with alpha") << 32 << std::vector<std::uint8_t>{255, 0, 128, 0, 0, 1}
                                            << std::vector<Color>{rgb(1, 2, 3), kWhite, rgb(227, 177, 152),
                                                                  kWhite, kWhite, rgb(255, 254, 255)};
    }
    void drawingOnWhiteFollowsMaskOrAlpha()
    {
        QFETCH(int, bits);
        QFETCH(std::vector<std::uint8_t>, alpha);
        QFETCH(std::vector<Color>, expected);
        Picture picture = threeByTwo(bits);
        picture.alpha = alpha;
        const PixelBuffer result = readIconPicture(iconFile(kIconFileType, {encode(picture)}));
        PixelBuffer whole(32, 32, kWhite);
        for (int i = 0; i < 6; ++i)
            whole.setPixel(i % 3, i / 3, expected[std::size_t(i)]);
        comparePictures(result, whole, 0);
    }

    // The stored 3 x 2 bitmap is stretched to the entry's size before drawing.
    void storedBitmapIsStretchedToTheEntrySize_data()
    {
        QTest::addColumn<int>("side");  // the entry's width and height bytes
        QTest::newRow("doubled") << 6;
        QTest::newRow("byte 0 means 256") << 0;
        QTest::newRow("one pixel") << 1;
    }
    void storedBitmapIsStretchedToTheEntrySize()
    {
        QFETCH(int, side);
        const Picture picture = threeByTwo(24);
        Bytes file = iconFile(kIconFileType, {encode(picture)});
        file[6] = std::uint8_t(side);
        file[7] = std::uint8_t(side);
        const int width = side == 0 ? 256 : side;
        const PixelBuffer result = readIconPicture(file);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                Color expected = kWhite;
                if (x < width && y < width) {
                    const std::size_t i = std::size_t((y * 2 / width) * 3 + x * 3 / width);
                    expected = picture.mask[i] != 0 ? inverted(picture.values[i]) : picture.values[i];
                }
                QCOMPARE(result.pixel(x, y), expected);
            }
    }

    void pngSidesUpTo256AreRead_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("256") << 256 << true;
        QTest::newRow("257") << 257 << false;
    }
    void pngSidesUpTo256AreRead()
    {
        QFETCH(int, width);
        QFETCH(bool, accepted);
        const Bytes png = readDataFile(QStringLiteral("icons/wide%1.png").arg(width));
        QVERIFY(!png.empty());
        try {
            const IconImage image = decodePngIconImage(png);
            QVERIFY(accepted);
            QCOMPARE(image.width, width);
            QCOMPARE(image.color(width - 1, 0), rgb(0, 255, 0));
            QCOMPARE(image.alpha[std::size_t(width - 1)], std::uint8_t(255));
        } catch (const FileError&) {
            QVERIFY(!accepted);
        }
    }

    // Only the chosen entry (the PNG) is decoded: a broken one before it does no harm.
    void onlyTheChosenEntryIsDecoded()
    {
        Bytes file = readDataFile(QStringLiteral("icons/mixed_png.ico"));
        QVERIFY(!file.empty());
        const PixelBuffer intact = readIconPicture(file);
        set32(file, readIconDirectory(file).entries[0].dataOffset, 7);
        QCOMPARE(readIconPicture(file), intact);
    }

    void pictureHeaderRules_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<bool>("generic");  // else refused
        const Bytes good = iconFile(kIconFileType, {encode(threeByTwo(4))});
        auto withType = [&](unsigned type) {
            Bytes file = good;
            file[2] = std::uint8_t(type);
            return file;
        };
        const Bytes withPng = readDataFile(QStringLiteral("icons/mixed_png.ico"));
        const std::uint32_t pngAt = readIconDirectory(withPng).entries.at(2).dataOffset;
        Bytes pngDamaged = withPng;
        pngDamaged[pngAt + 40] ^= 0x01;
        QTest::newRow("type 0") << withType(0) << true;
        QTest::newRow("type 0, count 0") << Bytes{0, 0, 0, 0, 0, 0} << true;
        QTest::newRow("type 2 (cursor)") << withType(2) << false;
        QTest::newRow("type 3") << withType(3) << false;
        QTest::newRow("count 0") << Bytes{0, 0, 1, 0, 0, 0} << false;
        QTest::newRow("header cut short") << Bytes{0, 0, 1, 0} << false;
        QTest::newRow("chosen PNG cut short") << Bytes(withPng.begin(), withPng.end() - 13) << false;
        QTest::newRow("chosen PNG with damaged data") << pngDamaged << false;
    }
    void pictureHeaderRules()
    {
        QFETCH(Bytes, file);
        QFETCH(bool, generic);
        if (generic)
            QCOMPARE(readIconPicture(file), genericAppIconPicture());
        else
            checkPictureRefused(file);
    }
};

QTEST_APPLESS_MAIN(TestIconFile)
#include "tst_icon_file.moc"
