// PNG files read with every colour type and depth, refused when damaged or
// too large, and written so that both this reader and Qt's read them back.
#include "files/codec/file_error.h"
#include "files/codec/png_file.h"
#include "files/model/system_reason.h"

#include <QImage>
#include <QTest>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <string>
#include <vector>

using namespace pimoko;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A 5 x 3 picture (sub-byte rows end mid-byte) in one PNG colour type and
// depth, written by libpng itself. Each sample is made from its position;
// the palette, when there is one, has 7 entries, the fourth transparent,
// and with tRNS the grey or RGB value of pixel (1, 0) is the transparent one.
struct PngCase {
    int colorType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool transparentValue = false;  // tRNS
    bool interlaced = false;
};

int channelsOf(int colorType)
{
    return colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE ? 1
        : colorType == PNG_COLOR_TYPE_GRAY_ALPHA                                  ? 2
        : colorType == PNG_COLOR_TYPE_RGB                                         ? 3
                                                                                  : 4;
}

unsigned sampleAt(const PngCase& c, int x, int y, int channel)
{
    if (c.colorType == PNG_COLOR_TYPE_PALETTE)
        return unsigned(x + 2 * y) % 7 % (1u << c.depth);
    if (c.transparentValue && x == 3)  // repeats the transparent pixel's value
        x = 1, y = 0;
    const unsigned max = (1u << c.depth) - 1;
    return (unsigned(x * 101 + y * 57 + channel * 29) * 2654435761u >> 7) % (max + 1);
}

const png_color kPalette[7] = {{0, 0, 0}, {255, 0, 0}, {0, 128, 0}, {1, 2, 3}, {250, 251, 252}, {9, 99, 199}, {255, 255, 255}};
const png_byte kPaletteAlpha[4] = {255, 128, 255, 0};

Bytes writePng(const PngCase& c)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    const int channels = channelsOf(c.colorType);
    const int bytesPerSample = c.depth == 16 ? 2 : 1;
    std::vector<Bytes> rows(3, Bytes(std::size_t(5 * channels * bytesPerSample)));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int ch = 0; ch < channels; ++ch) {
                const unsigned v = sampleAt(c, x, y, ch);
                std::uint8_t* at = &rows[std::size_t(y)][std::size_t((x * channels + ch) * bytesPerSample)];
                if (bytesPerSample == 2)
                    at[0] = std::uint8_t(v >> 8), at[1] = std::uint8_t(v);
                else
                    at[0] = std::uint8_t(v);
            }
    std::vector<png_bytep> pointers;
    for (Bytes& row : rows)
        pointers.push_back(row.data());
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, [](png_structp p, png_bytep data, std::size_t n) {
            auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        }, nullptr);
        png_set_IHDR(png, info, 5, 3, c.depth, c.colorType, c.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
            const int entries = std::min(7, 1 << c.depth);
            png_set_PLTE(png, info, kPalette, entries);
            png_set_tRNS(png, info, kPaletteAlpha, std::min(4, entries), nullptr);
        } else if (c.transparentValue) {
            png_color_16 key{};
            key.gray = png_uint_16(sampleAt(c, 1, 0, 0));
            key.red = key.gray;
            key.green = png_uint_16(sampleAt(c, 1, 0, 1));
            key.blue = png_uint_16(sampleAt(c, 1, 0, 2));
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
        png_write_info(png, info);
        if (c.depth < 8)
            png_set_packing(png);
        png_write_image(png, pointers.data());
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

// What the case's pixel (x, y) means, by the PNG format's own rules.
Rgba expectedPixel(const PngCase& c, int x, int y)
{
    const unsigned max = (1u << c.depth) - 1;
    const auto eight = [&](int channel) { return std::uint8_t((sampleAt(c, x, y, channel) * 255 + max / 2) / max); };
    if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
        const unsigned i = sampleAt(c, x, y, 0);
        return {kPalette[i].red, kPalette[i].green, kPalette[i].blue, i < 4 ? kPaletteAlpha[i] : std::uint8_t(255)};
    }
    const bool grey = c.colorType == PNG_COLOR_TYPE_GRAY || c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
    bool isKey = c.transparentValue;
    for (int channel = 0; channel < channelsOf(c.colorType); ++channel)
        isKey = isKey && sampleAt(c, x, y, channel) == sampleAt(c, 1, 0, channel);
    const std::uint8_t alpha = (c.colorType & PNG_COLOR_MASK_ALPHA) ? eight(grey ? 1 : 3) : isKey ? 0 : 255;
    return grey ? Rgba{eight(0), eight(0), eight(0), alpha} : Rgba{eight(0), eight(1), eight(2), alpha};
}

// Header fields changed by a test keep a valid CRC, so that the field and
// not the checksum is what gets refused.
void setHeaderByte(Bytes& file, std::size_t at, std::uint8_t value)
{
    file[at] = value;
    const std::uint32_t crc = std::uint32_t(crc32(0, file.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        file[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
}

std::string refusalOf(const Bytes& file, int maxSide)
{
    try {
        readPngFile(file, maxSide);
    } catch (const FileError& error) {
        return error.what();
    }
    return "accepted";
}

RgbaImage sampleImage()
{
    RgbaImage image(7, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            image.setPixel(x, y, {std::uint8_t(x * 40), std::uint8_t(y * 100), std::uint8_t(x * y), std::uint8_t(x * 42)});
    return image;
}

} // namespace

class TestPngFile : public QObject {
    Q_OBJECT
private slots:
    void readsEveryColourTypeAndDepth_data()
    {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("transparentValue");
        QTest::addColumn<bool>("interlaced");
        for (int depth : {1, 2, 4, 8, 16})
            QTest::addRow("grey %d", depth) << PNG_COLOR_TYPE_GRAY << depth << false << false;
        for (int depth : {1, 2, 4, 8})
            QTest::addRow("palette %d with alpha", depth) << PNG_COLOR_TYPE_PALETTE << depth << false << false;
        for (int depth : {8, 16}) {
            QTest::addRow("grey %d with tRNS", depth) << PNG_COLOR_TYPE_GRAY << depth << true << false;
            QTest::addRow("grey alpha %d", depth) << PNG_COLOR_TYPE_GRAY_ALPHA << depth << false << false;
            QTest::addRow("rgb %d", depth) << PNG_COLOR_TYPE_RGB << depth << false << false;
            QTest::addRow("rgb %d with tRNS", depth) << PNG_COLOR_TYPE_RGB << depth << true << false;
            QTest::addRow("rgba %d", depth) << PNG_COLOR_TYPE_RGB_ALPHA << depth << false << false;
        }
        QTest::newRow("rgba 8 interlaced") << PNG_COLOR_TYPE_RGB_ALPHA << 8 << false << true;
        QTest::newRow("palette 2 interlaced") << PNG_COLOR_TYPE_PALETTE << 2 << false << true;
    }
    void readsEveryColourTypeAndDepth()
    {
        QFETCH(int, colorType);
        QFETCH(int, depth);
        QFETCH(bool, transparentValue);
        QFETCH(bool, interlaced);
        const PngCase c{colorType, depth, transparentValue, interlaced};
        const RgbaImage image = readPngFile(writePng(c), 5);
        QCOMPARE(image.width(), 5);
        QCOMPARE(image.height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const Rgba got = image.pixel(x, y);
                const Rgba want = expectedPixel(c, x, y);
                QVERIFY2(got == want, qPrintable(QString("(%1, %2): %3 %4 %5 %6, expected %7 %8 %9 %10")
                                                      .arg(x).arg(y).arg(got.r).arg(got.g).arg(got.b).arg(got.a)
                                                      .arg(want.r).arg(want.g).arg(want.b).arg(want.a)));
            }
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<int>("maxSide");
        QTest::addColumn<QString>("text");
        const Bytes good = writePng({PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false});
        const QString invalid = kInvalidPngText;
        QTest::newRow("empty") << Bytes{} << 256 << invalid;
        QTest::newRow("bitmap") << Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0} << 256 << invalid;
        QTest::newRow("signature only") << Bytes(good.begin(), good.begin() + 8) << 256 << invalid;
        QTest::newRow("cut in the pixels") << Bytes(good.begin(), good.end() - 20) << 256 << invalid;
        Bytes badCrc = good;
        badCrc[29] ^= 0xFF;  // IHDR's CRC
        QTest::newRow("header CRC") << badCrc << 256 << invalid;
        Bytes zeroWidth = good;
        setHeaderByte(zeroWidth, 16 + 3, 0);
        QTest::newRow("width 0") << zeroWidth << 256 << invalid;
        QTest::newRow("wider than the cap") << good << 4 << QString::fromStdString(pngTooLargeText(5, 3, 4));
        Bytes huge = good;
        setHeaderByte(huge, 16, 0x10);  // 268 million wide, judged before any pixel
        QTest::newRow("huge") << huge << 256 << QString::fromStdString(pngTooLargeText(0x10000005, 3, 256));
    }
    void refusesWhatItCannotRead()
    {
        QFETCH(Bytes, file);
        QFETCH(int, maxSide);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(refusalOf(file, maxSide)), text);
    }

    void tooLargeTextNamesBothSizes()
    {
        QCOMPARE(QString::fromStdString(pngTooLargeText(300, 20, 256)),
                 QStringLiteral("PNGイメージが大きすぎます（300 x 20、256 x 256 まで）"));
    }

    void writtenFilesReadBack_data()
    {
        QTest::addColumn<bool>("withAlpha");
        QTest::newRow("rgba") << true;
        QTest::newRow("rgb") << false;
    }
    void writtenFilesReadBack()
    {
        QFETCH(bool, withAlpha);
        const RgbaImage image = sampleImage();
        const Bytes file = writePngFile(image, withAlpha ? PngChannels::Rgba : PngChannels::Rgb);
        QCOMPARE(writePngFile(image, withAlpha ? PngChannels::Rgba : PngChannels::Rgb), file);
        const RgbaImage ours = readPngFile(file, 7);
        const QImage qt = QImage::fromData(file.data(), int(file.size()), "PNG").convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qt.size(), QSize(7, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                Rgba want = image.pixel(x, y);
                want.a = withAlpha ? want.a : 255;
                QCOMPARE(ours.pixel(x, y), want);
                const QRgb q = qt.pixel(x, y);
                QCOMPARE((Rgba{std::uint8_t(qRed(q)), std::uint8_t(qGreen(q)), std::uint8_t(qBlue(q)), std::uint8_t(qAlpha(q))}), want);
            }
    }
};

QTEST_APPLESS_MAIN(TestPngFile)
#include "tst_png_file.moc"
