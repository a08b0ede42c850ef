// Pictures packed into one icon or cursor file: each image in the smallest
// exact form, every pixel back when this program or Qt's ico reader decodes
// the file, the editor's own bytes for a 4-bit image, and clear refusals.
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "files/codec/icon_writer.h"
#include "files/codec/png_file.h"
#include "raster/icon_parts.h"
#include "raster/standard_colors.h"
#include "support/file_bytes.h"
#include "support/qt_ico_reader.h"

#include <QTest>

#include <zlib.h>

#include <random>

using namespace pimoko;
using Images = std::vector<RgbaImage>;
using Hotspot = std::optional<Point>;

namespace {

// `colors` colours in turn, none of them standard (0: the 16 standard
// colours), with alpha alphas[0] for the first round of them, alphas[1] for
// the next and so on. Transparent pixels keep a colour the file must drop.
RgbaImage madeImage(int width, int height, int colors, Bytes alphas = {255})
{
    const int period = colors == 0 ? 16 : colors;
    RgbaImage image(width, height);
    for (int i = 0; i < width * height; ++i) {
        const int k = i % period;
        Rgba p = opaqueRgba(colors == 0 ? kStandardColors[std::size_t(k)] : rgb(1 + k % 250, 1 + k / 250, 7));
        p.a = alphas[std::size_t(i / period) % alphas.size()];
        image.setPixel(i % width, i / width, p);
    }
    return image;
}

// Every storage, sizes and shapes mixed, one size in two depths.
const Images kMixed = {madeImage(16, 16, 0, {255, 0}),  madeImage(24, 24, 200, {0, 255}),
                       madeImage(32, 32, 1000, {1, 128, 254, 255, 0}), madeImage(48, 20, 256),
                       madeImage(256, 256, 1 << 20, {0, 77, 255}),    madeImage(1, 1, 0),
                       madeImage(16, 16, 100, {255, 0})};
const int kMixedBits[] = {4, 8, 32, 8, 32, 4, 8};

// What the file should give back: transparent pixels have no colour.
RgbaImage withoutHiddenColors(RgbaImage image)
{
    for (int i = 0; i < image.width() * image.height(); ++i)
        if (image.pixel(i % image.width(), i / image.width()).a == 0)
            image.setPixel(i % image.width(), i / image.width(), kClear);
    return image;
}

// The PNG file with a chunk after IHDR (at 33), with its CRC.
Bytes withChunkAfterHeader(const Bytes& png, const char* type, std::uint32_t length, const Bytes& data)
{
    Bytes file(png.begin(), png.begin() + 33);
    for (int shift : {24, 16, 8, 0})
        file.push_back(std::uint8_t(length >> shift));
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const auto crc = std::uint32_t(crc32(0, file.data() + 37, uInt(file.size() - 37)));
    for (int shift : {24, 16, 8, 0})
        file.push_back(std::uint8_t(crc >> shift));
    file.insert(file.end(), png.begin() + 33, png.end());
    return file;
}

// What a reading gives: the number it returns, or the refusal's text.
template <typename Read>
QString outcome(Read read)
{
    try {
        return QString::number(read());
    } catch (const FileError& error) {
        return QString::fromUtf8(error.what());
    }
}

} // namespace

class TestIconPacker : public QObject {
    Q_OBJECT
private slots:
    void storageIsTheSmallestExactForm_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("colors");
        QTest::addColumn<Bytes>("alphas");
        QTest::addColumn<IconStorage>("storage");
        QTest::newRow("standard colours") << 20 << 20 << 0 << Bytes{255} << IconStorage::Indexed4;
        QTest::newRow("standard, transparent") << 20 << 20 << 0 << Bytes{255, 0} << IconStorage::Indexed4;
        QTest::newRow("standard, half transparent") << 20 << 20 << 0 << Bytes{255, 128} << IconStorage::Bgra32;
        QTest::newRow("one other colour") << 20 << 20 << 1 << Bytes{255} << IconStorage::Indexed8;
        QTest::newRow("256 colours") << 20 << 20 << 256 << Bytes{255} << IconStorage::Indexed8;
        QTest::newRow("255 colours, black for transparency") << 20 << 20 << 255 << Bytes{255, 0} << IconStorage::Indexed8;
        QTest::newRow("256 colours, black for transparency") << 20 << 20 << 256 << Bytes{255, 0} << IconStorage::Bgra32;
        QTest::newRow("257 colours") << 20 << 20 << 257 << Bytes{255} << IconStorage::Bgra32;
        QTest::newRow("255 x 255") << 255 << 255 << 0 << Bytes{255} << IconStorage::Indexed4;
        QTest::newRow("256 x 256") << 256 << 256 << 0 << Bytes{255} << IconStorage::Png;
        QTest::newRow("3 x 256") << 3 << 256 << 0 << Bytes{255, 128} << IconStorage::Png;
    }
    void storageIsTheSmallestExactForm()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, colors);
        QFETCH(Bytes, alphas);
        QFETCH(IconStorage, storage);
        QCOMPARE(chooseIconStorage(madeImage(width, height, colors, alphas)), storage);
    }

    void everyImageComesBack_data()
    {
        QTest::addColumn<Hotspot>("hotspot");
        QTest::newRow("icon") << Hotspot();
        QTest::newRow("cursor") << Hotspot(Point{0, 0});
    }
    // Read back by our decoder and, for the icon, by Qt's reader.
    void everyImageComesBack()
    {
        QFETCH(Hotspot, hotspot);
        const Bytes file = packIconFile(kMixed, hotspot);
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.type, hotspot ? kCursorFileType : kIconFileType);
        const std::vector<DecodedIconImage> decoded = decodeIconFileImages(file);
        const std::vector<QImage> qt = hotspot ? std::vector<QImage>(kMixed.size()) : readIconWithQt(file);
        QCOMPARE(decoded.size(), kMixed.size());
        QCOMPARE(qt.size(), kMixed.size());
        for (std::size_t i = 0; i < kMixed.size(); ++i) {
            QCOMPARE(decoded[i].bits, kMixedBits[i]);
            QCOMPARE(directory.entries[i].width, kMixed[i].width() % 256);
            QVERIFY2(decoded[i].image == withoutHiddenColors(kMixed[i]), qPrintable(QString::number(i)));
            if (hotspot)
                QCOMPARE(directory.hotspot(i), *hotspot);
            else
                QCOMPARE(differenceFromQt(withoutHiddenColors(kMixed[i]), qt[i]), QString());
        }
    }

    void fourBitImageIsTheEditorsIcon()
    {
        PixelBuffer picture(32, 32);
        std::mt19937 random(7);
        for (int i = 0; i < 32 * 32; ++i)
            picture.setPixel(i % 32, i / 32, kStandardColors[random() % 16]);
        const IconParts parts = makeIconParts(picture);
        QCOMPARE(packIconFile(Images{rgbaImageWithTransparentCorner(picture)}), WriteIconData(parts.andPart, parts.orPart));
    }

    void refusals_data()
    {
        QTest::addColumn<Images>("images");
        QTest::addColumn<Hotspot>("hotspot");
        QTest::addColumn<QString>("text");
        const RgbaImage small = madeImage(16, 16, 0);
        Images many;
        for (int side = 1; side <= 65; ++side)
            many.push_back(madeImage(side, 1, 0));
        QTest::newRow("none") << Images{} << Hotspot() << "アイコンにする画像がありません";
        QTest::newRow("65 images") << many << Hotspot() << "一つのアイコンに入れられる画像は 64 枚までです（65 枚あります）";
        QTest::newRow("257 wide") << Images{small, madeImage(257, 2, 0)} << Hotspot()
                                  << "2 番目の画像（257 x 2）はアイコンに入りません（256 x 256 まで）";
        QTest::newRow("empty") << Images{RgbaImage()} << Hotspot() << "1 番目の画像（0 x 0）はアイコンに入りません（256 x 256 まで）";
        QTest::newRow("same size and depth") << Images{small, madeImage(16, 16, 3), madeImage(16, 16, 9)} << Hotspot()
                                             << "2 番目と 3 番目の画像は大きさ（16 x 16）も色の深さ（8 ビット）も同じです";
        QTest::newRow("hot spot beyond") << Images{madeImage(40, 40, 0), small} << Hotspot(Point{16, 3})
                                         << "ホットスポット（16, 3）が 2 番目の画像（16 x 16）の外にあります";
        QTest::newRow("hot spot before") << Images{small} << Hotspot(Point{-1, 0})
                                         << "ホットスポット（-1, 0）が 1 番目の画像（16 x 16）の外にあります";
    }
    void refusals()
    {
        QFETCH(Images, images);
        QFETCH(Hotspot, hotspot);
        QFETCH(QString, text);
        QString refusal = "accepted";
        try {
            packIconFile(images, hotspot);
        } catch (const FileError& error) {
            refusal = QString::fromUtf8(error.what());
        }
        QCOMPARE(refusal, text);
    }

    // The readers take icon files of up to 4 MiB whole: a PNG file passed on
    // with its text may not make the icon larger.
    void iconBeyondTheReadersCapIsRefused_data()
    {
        QTest::addColumn<int>("pngSize");
        QTest::addColumn<QString>("outcome");
        // 6 + 2 x 16 bytes of header and directory, 296 of the 16 x 16 4-bit image.
        QTest::newRow("4 MiB") << 4194304 - 334 << "4194304";
        QTest::newRow("a byte more") << 4194304 - 333 << "アイコンが大きすぎます（4194305 バイト、4194304 バイトまで）";
    }
    void iconBeyondTheReadersCapIsRefused()
    {
        QFETCH(int, pngSize);
        QFETCH(QString, outcome);
        const RgbaImage plain = madeImage(256, 256, 1000);
        const Bytes png = pngFileBytes(plain);
        const auto textLength = std::uint32_t(pngSize - int(png.size()) - 12);
        const std::vector<Bytes> sources{{}, withChunkAfterHeader(png, "tEXt", textLength, Bytes(textLength, 'a'))};
        QCOMPARE(sources[1].size(), std::size_t(pngSize));
        QCOMPARE(::outcome([&] {
                     const Bytes file = packIconFile(Images{madeImage(16, 16, 0), plain}, std::nullopt, sources);
                     decodeIconFileImages(file, StoredPngs::Checked);
                     return file.size();
                 }),
                 outcome);
    }

    // A PNG file read for the 256 image is kept as it is only when any reader
    // shows exactly the pixels read from it.
    void sourcePngKeptWhenItShowsThePixels_data()
    {
        QTest::addColumn<Bytes>("source");
        QTest::addColumn<RgbaImage>("image");
        QTest::addColumn<bool>("kept");
        const RgbaImage plain = withoutHiddenColors(madeImage(256, 256, 1000, {0, 255, 77}));
        const Bytes png = pngFileBytes(plain);
        const auto withChunk = [&png](const char* type, std::uint32_t length, const Bytes& data) {
            return withChunkAfterHeader(png, type, length, data);
        };
        QTest::newRow("8-bit RGBA with a text") << withChunk("tEXt", 3, {'a', 0, 'b'}) << plain << true;
        // Read well by libpng, refused by the chunk check of --unpack and --thumbnail.
        Bytes badCrc = withChunk("tEXt", 3, {'a', 0, 'b'});
        badCrc[47] ^= 0x01;
        QTest::newRow("a text's CRC wrong") << badCrc << plain << false;
        Bytes trailing = png;
        trailing.push_back(0);
        QTest::newRow("a byte after the end") << trailing << plain << false;
        QTest::newRow("sRGB's gamma") << withChunk("gAMA", 4, {0, 0, 0xB1, 0x8F}) << plain << true;
        QTest::newRow("another gamma") << withChunk("gAMA", 4, {0, 0, 0xB1, 0x90}) << plain << false;
        // White point, red, green and blue of sRGB, times 100,000, big-endian.
        const Bytes srgbChromaticities{0, 0, 0x7A, 0x26, 0, 0, 0x80, 0x84, 0, 0, 0xFA, 0, 0, 0, 0x80, 0xE8,
                                       0, 0, 0x75, 0x30, 0, 0, 0xEA, 0x60, 0, 0, 0x3A, 0x98, 0, 0, 0x17, 0x70};
        QTest::newRow("sRGB's chromaticities") << withChunk("cHRM", 32, srgbChromaticities) << plain << true;
        Bytes otherBlue = srgbChromaticities;
        otherBlue[31] = 0x71;
        QTest::newRow("another blue") << withChunk("cHRM", 32, otherBlue) << plain << false;
        Bytes d50 = srgbChromaticities;
        d50[2] = 0x87;  // x of the white point 0.3457
        d50[3] = 0x0A;
        QTest::newRow("another white") << withChunk("cHRM", 32, d50) << plain << false;
        QTest::newRow("chromaticities cut short")
            << withChunk("cHRM", 28, Bytes(srgbChromaticities.begin(), srgbChromaticities.end() - 4)) << plain << false;
        QTest::newRow("sRGB's chromaticities in another chunk") << withChunk("ciEX", 32, srgbChromaticities) << plain
                                                                << false;
        QTest::newRow("a chunk longer than the file") << withChunk("tEXt", 0x7FFFFFF0, {}) << plain << false;
        QTest::newRow("opaque RGB") << pngFileBytes(plain, PngChannels::Rgb) << plain << false;
        const RgbaImage hiding = madeImage(256, 256, 1000, {0, 255, 77});
        QTest::newRow("hidden colours, shown nowhere") << pngFileBytes(hiding) << hiding << true;
        QTest::newRow("cut short") << Bytes(png.begin(), png.end() - 12) << plain << false;
    }
    void sourcePngKeptWhenItShowsThePixels()
    {
        QFETCH(Bytes, source);
        QFETCH(RgbaImage, image);
        QFETCH(bool, kept);
        const std::vector<Bytes> sources{source};
        const Bytes file = packIconFile(Images{image}, std::nullopt, sources);
        const std::size_t size = file[14] | file[15] << 8 | file[16] << 16 | std::size_t(file[17]) << 24;
        QCOMPARE(Bytes(file.begin() + 22, file.begin() + 22 + long(size)) == source, kept);
        QCOMPARE(decodeIconFileImages(file).front().image, kept ? image : withoutHiddenColors(image));
        QCOMPARE(outcome([&] { return decodeIconFileImages(file, StoredPngs::Checked).front().width; }), "256");
    }
};

QTEST_APPLESS_MAIN(TestIconPacker)
#include "tst_icon_packer.moc"
