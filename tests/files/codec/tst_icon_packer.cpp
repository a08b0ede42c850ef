// Pictures packed into one icon or cursor file: each image in the smallest
// exact form, every pixel back when the file is decoded by this program or
// by Qt's ico reader, the editor's own bytes for a 4-bit image, and clear
// refusals.
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "files/codec/icon_writer.h"
#include "raster/icon_parts.h"
#include "raster/standard_colors.h"
#include "support/qt_ico_reader.h"

#include <QTest>

#include <random>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::optional<pimoko::Point>)
Q_DECLARE_METATYPE(pimoko::IconStorage)
Q_DECLARE_METATYPE(std::vector<pimoko::RgbaImage>)

using namespace pimoko;

namespace {

using Bytes = std::vector<std::uint8_t>;

// `colors` distinct colours, none of them standard (0: the 16 standard
// colours), repeated over the picture; pixel (0, 0) transparent and pixel
// (1, 0) half transparent when asked.
RgbaImage madeImage(int width, int height, int colors, bool transparent, bool halfTransparent)
{
    RgbaImage image(width, height);
    for (int i = 0; i < width * height; ++i) {
        const Color c = colors == 0 ? kStandardColors[std::size_t(i % 16)] : rgb(1 + i % colors % 250, 1 + i % colors / 250, 7);
        image.setPixel(i % width, i / width, opaqueRgba(c));
    }
    if (transparent)
        image.setPixel(0, 0, {9, 9, 9, 0});
    if (halfTransparent)
        image.setPixel(1, 0, {200, 100, 50, 128});
    return image;
}

// Seeded random pixels; alpha drawn from `alphas`.
RgbaImage randomImage(int width, int height, unsigned seed, std::vector<std::uint8_t> alphas, int colors)
{
    std::mt19937 random(seed);
    RgbaImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto value = std::uint32_t(random());
            const Color c = colors == 16 ? kStandardColors[value % 16] : Color(value % std::uint32_t(colors) * 0x010203);
            Rgba p = opaqueRgba(c);
            p.a = alphas[(value >> 24) % alphas.size()];
            image.setPixel(x, y, p);
        }
    return image;
}

// The picture the file should give back: transparent pixels have no colour.
RgbaImage withoutHiddenColors(RgbaImage image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y).a == 0)
                image.setPixel(x, y, kClear);
    return image;
}

// Each storage, sizes and shapes mixed, one size twice in two depths.
std::vector<RgbaImage> mixedImages()
{
    return {
        randomImage(16, 16, 1, {0, 255, 255}, 16),
        randomImage(24, 24, 2, {0, 255}, 200),
        randomImage(32, 32, 3, {0, 1, 128, 254, 255}, 1 << 20),
        randomImage(48, 20, 4, {255}, 256),
        randomImage(256, 256, 5, {0, 77, 255}, 1 << 24),
        randomImage(1, 1, 6, {255}, 16),
        randomImage(16, 16, 7, {0, 255}, 100),
    };
}
const int kMixedBits[] = {4, 8, 32, 8, 32, 4, 8};

std::string refusalOf(const std::vector<RgbaImage>& images, std::optional<Point> hotspot)
{
    try {
        packIconFile(images, hotspot);
    } catch (const FileError& error) {
        return error.what();
    }
    return "accepted";
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
        QTest::addColumn<bool>("transparent");
        QTest::addColumn<bool>("halfTransparent");
        QTest::addColumn<IconStorage>("storage");
        QTest::newRow("standard colours") << 20 << 20 << 0 << false << false << IconStorage::Indexed4;
        QTest::newRow("standard, transparent") << 20 << 20 << 0 << true << false << IconStorage::Indexed4;
        QTest::newRow("standard, half transparent") << 20 << 20 << 0 << true << true << IconStorage::Bgra32;
        QTest::newRow("one other colour") << 20 << 20 << 1 << false << false << IconStorage::Indexed8;
        QTest::newRow("256 colours") << 20 << 20 << 256 << false << false << IconStorage::Indexed8;
        QTest::newRow("255 colours and black for transparency") << 20 << 20 << 255 << true << false << IconStorage::Indexed8;
        QTest::newRow("256 colours and black for transparency") << 20 << 20 << 256 << true << false << IconStorage::Bgra32;
        QTest::newRow("257 colours") << 20 << 20 << 257 << false << false << IconStorage::Bgra32;
        QTest::newRow("255 x 255") << 255 << 255 << 0 << false << false << IconStorage::Indexed4;
        QTest::newRow("256 x 256") << 256 << 256 << 0 << false << false << IconStorage::Png;
        QTest::newRow("256 x 3") << 256 << 3 << 5 << false << false << IconStorage::Png;
        QTest::newRow("3 x 256") << 3 << 256 << 0 << true << true << IconStorage::Png;
    }
    void storageIsTheSmallestExactForm()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, colors);
        QFETCH(bool, transparent);
        QFETCH(bool, halfTransparent);
        QFETCH(IconStorage, storage);
        QCOMPARE(chooseIconStorage(madeImage(width, height, colors, transparent, halfTransparent)), storage);
    }

    void everyImageComesBack_data()
    {
        QTest::addColumn<std::optional<Point>>("hotspot");
        QTest::newRow("icon") << std::optional<Point>();
        QTest::newRow("cursor") << std::optional<Point>(Point{0, 0});
    }
    void everyImageComesBack()
    {
        QFETCH(std::optional<Point>, hotspot);
        const std::vector<RgbaImage> images = mixedImages();
        const Bytes file = packIconFile(images, hotspot);
        const IconDirectory directory = readIconDirectory(file);
        QCOMPARE(directory.type, hotspot ? kCursorFileType : kIconFileType);
        const std::vector<DecodedIconImage> decoded = decodeIconFileImages(file);
        QCOMPARE(decoded.size(), images.size());
        for (std::size_t i = 0; i < images.size(); ++i) {
            QCOMPARE(decoded[i].bits, kMixedBits[i]);
            QCOMPARE(directory.entries[i].width, images[i].width() % 256);
            QVERIFY2(decoded[i].image == withoutHiddenColors(images[i]), qPrintable(QString::number(i)));
            if (hotspot)
                QCOMPARE(directory.hotspot(i), *hotspot);
        }
    }

    void qtReadsThePackedPixels()
    {
        const std::vector<RgbaImage> images = mixedImages();
        const Bytes file = packIconFile(images);
        const std::vector<QImage> qt = readIconWithQt(file);
        QCOMPARE(qt.size(), images.size());
        for (std::size_t i = 0; i < images.size(); ++i) {
            const QString difference = differenceFromQt(withoutHiddenColors(images[i]), qt[i]);
            QVERIFY2(difference.isEmpty(), qPrintable(QString::number(i) + ": " + difference));
        }
    }

    void fourBitImageIsTheEditorsIcon_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("32 x 32") << 32 << 32;
        QTest::newRow("20 x 7") << 20 << 7;
    }
    void fourBitImageIsTheEditorsIcon()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        PixelBuffer picture(width, height);
        std::mt19937 random(7);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.setPixel(x, y, kStandardColors[random() % 16]);
        const IconParts parts = makeIconParts(picture);
        const std::vector<RgbaImage> images{rgbaImageWithTransparentCorner(picture)};
        QCOMPARE(packIconFile(images), WriteIconData(parts.andPart, parts.orPart));
    }

    void refusals_data()
    {
        QTest::addColumn<std::vector<RgbaImage>>("images");
        QTest::addColumn<std::optional<Point>>("hotspot");
        QTest::addColumn<QString>("text");
        const RgbaImage small = madeImage(16, 16, 0, false, false);
        const RgbaImage other = madeImage(16, 16, 3, false, false);
        QTest::newRow("none") << std::vector<RgbaImage>{} << std::optional<Point>() << "アイコンにする画像がありません";
        std::vector<RgbaImage> many;
        for (int side = 1; side <= 65; ++side)
            many.push_back(madeImage(side, 1, 0, false, false));
        QTest::newRow("65 images") << many << std::optional<Point>()
                                   << "一つのアイコンに入れられる画像は 64 枚までです（65 枚あります）";
        QTest::newRow("257 wide") << std::vector{small, madeImage(257, 2, 0, false, false)} << std::optional<Point>()
                                  << "2 番目の画像（257 x 2）はアイコンに入りません（256 x 256 まで）";
        QTest::newRow("empty") << std::vector{RgbaImage()} << std::optional<Point>()
                               << "1 番目の画像（0 x 0）はアイコンに入りません（256 x 256 まで）";
        QTest::newRow("same size and depth") << std::vector{small, other, madeImage(16, 16, 9, false, false)}
                                             << std::optional<Point>()
                                             << "2 番目と 3 番目の画像は大きさ（16 x 16）も色の深さ（8 ビット）も同じです";
        QTest::newRow("hot spot outside") << std::vector{madeImage(40, 40, 0, false, false), small}
                                          << std::optional<Point>(Point{16, 3})
                                          << "ホットスポット（16, 3）が 2 番目の画像（16 x 16）の外にあります";
        QTest::newRow("hot spot left of it") << std::vector{small} << std::optional<Point>(Point{-1, 0})
                                             << "ホットスポット（-1, 0）が 1 番目の画像（16 x 16）の外にあります";
    }
    void refusals()
    {
        QFETCH(std::vector<RgbaImage>, images);
        QFETCH(std::optional<Point>, hotspot);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(refusalOf(images, hotspot)), text);
    }
};

QTEST_APPLESS_MAIN(TestIconPacker)
#include "tst_icon_packer.moc"
