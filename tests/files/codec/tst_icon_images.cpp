// Every image of icon, cursor and program files decoded with its own alpha,
// checked against Qt's ico reader; and the image a thumbnail is made from.
#include "files/codec/file_error.h"
#include "files/codec/system_reason.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "support/file_bytes.h"
#include "support/qt_ico_reader.h"

#include <QTest>

#include <string>
#include <vector>

using namespace pimoko;

namespace {

QString describe(const std::vector<DecodedIconImage>& images)
{
    QStringList parts;
    for (const DecodedIconImage& image : images)
        parts << QStringLiteral("%1x%2x%3").arg(image.width).arg(image.height).arg(image.bits);
    return parts.join(' ');
}

// "16x16x4 32x32x8" as images without pixels.
std::vector<DecodedIconImage> shapes(const QString& text)
{
    std::vector<DecodedIconImage> images;
    for (const QString& shape : text.split(' ')) {
        const QStringList n = shape.split('x');
        images.push_back({n[0].toInt(), n[1].toInt(), n[2].toInt(), {}, {}});
    }
    return images;
}

} // namespace

class TestIconImages : public QObject {
    Q_OBJECT
private slots:
    void everyImageAsQtReadsIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("images");
        QTest::newRow("1 bit") << "depth1.ico" << "32x32x1";
        QTest::newRow("4 bits, two sizes") << "depth4_16_32.ico" << "16x16x4 32x32x4";
        QTest::newRow("8 bits") << "depth8.ico" << "32x32x8";
        QTest::newRow("24 bits") << "depth24.ico" << "32x32x24";
        QTest::newRow("32 bits with alpha") << "depth32_alpha.ico" << "32x32x32";
        QTest::newRow("bitmaps and a PNG") << "mixed_png.ico" << "16x16x4 32x32x8 32x32x32";
        QTest::newRow("grey PNG of 16 bits") << "png_gray16.ico" << "24x24x32";
        QTest::newRow("three sizes") << "imagemagick_sizes.ico" << "24x24x32 32x32x32 16x16x32";
    }
    void everyImageAsQtReadsIt()
    {
        QFETCH(QString, name);
        QFETCH(QString, images);
        const Bytes file = readDataFile("icons/" + name);
        const std::vector<DecodedIconImage> decoded = decodeIconFileImages(file);
        QCOMPARE(describe(decoded), images);
        const std::vector<QImage> qt = readIconWithQt(file);
        QCOMPARE(qt.size(), decoded.size());
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            // Qt leaves the mask of a 24-bit image unapplied.
            const QString difference = differenceFromQt(decoded[i].image, qt[i], decoded[i].bits != 24);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
    }

    // A 32-bit image whose alpha bytes are all zero is drawn by its mask.
    void zeroAlphaFallsBackToTheMask()
    {
        RgbaImage image(3, 1);
        image.setPixel(0, 0, {255, 0, 0, 255});
        image.setPixel(2, 0, {0, 0, 255, 128});  // makes it 32-bit
        Bytes file = packIconFile(std::vector{image});
        for (std::size_t alpha : {65, 69, 73})  // after the headers, one BGRA pixel each
            file.at(alpha) = 0;
        const RgbaImage decoded = decodeIconFileImages(file).at(0).image;
        QCOMPARE(decoded.pixel(0, 0), (Rgba{255, 0, 0, 255}));
        QCOMPARE(decoded.pixel(1, 0), kClear);
        QCOMPARE(decoded.pixel(2, 0), (Rgba{0, 0, 255, 255}));
    }

    void programFilesGiveTheirFirstGroup_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("result");
        QTest::newRow("PE32") << "pe/pe32_icon.exe" << "16x16x4 32x32x4";
        QTest::newRow("PE32+ with a PNG member") << "pe/pe64_icon.exe" << "16x16x4 32x32x8 32x32x32";
        QTest::newRow("first of two groups") << "pe/pe64_two_groups.exe" << "32x32x24";
        QTest::newRow("no icon") << "pe/pe64_no_icon.exe" << kNoProgramIconText;
        QTest::newRow("not a program") << "icons/depth8.ico" << kNoProgramIconText;
    }
    void programFilesGiveTheirFirstGroup()
    {
        QFETCH(QString, name);
        QFETCH(QString, result);
        try {
            QCOMPARE(describe(decodeProgramIconImages(readDataFile(name))), result);
        } catch (const FileError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), result);
        }
    }

    void otherHeaderTypesAreRefused()
    {
        Bytes file = readDataFile("icons/depth8.ico");
        file[2] = 3;
        QVERIFY_THROWS_EXCEPTION(FileError, decodeIconFileImages(file));
    }

    // Entries sharing one image's data: a small file naming more pictures
    // than memory holds is refused before any is decoded.
    void imagesSharingDataAreCounted_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("256 entries") << 256 << true;
        QTest::newRow("257 entries") << 257 << false;
    }
    void imagesSharingDataAreCounted()
    {
        QFETCH(int, count);
        QFETCH(bool, decoded);
        const Bytes one = readDataFile("icons/depth1.ico");
        const std::size_t dataAt = one[18] | one[19] << 8 | one[20] << 16 | std::size_t(one[21]) << 24;
        Bytes file(one.begin(), one.begin() + 6);
        set16(file, 4, unsigned(count));
        for (int i = 0; i < count; ++i) {
            file.insert(file.end(), one.begin() + 6, one.begin() + 18);
            put32(file, std::uint32_t(6 + 16 * count));
        }
        file.insert(file.end(), one.begin() + long(dataAt), one.end());
        QString result;
        try {
            result = QString::number(decodeIconFileImages(file).size());
        } catch (const FileError& error) {
            result = QString::fromUtf8(error.what());
        }
        QCOMPARE(result, decoded ? QString::number(count) : QString::fromStdString(fileProblemText(FileProblem::TooLarge)));
    }

    void thumbnailImageFitsTheSize_data()
    {
        QTest::addColumn<QString>("images");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("chosen");
        const QString usual = "16x16x4 32x32x8 32x32x32 48x48x8 256x256x32";
        QTest::newRow("16: exactly") << usual << 16 << 0;
        QTest::newRow("20: next larger, deepest") << usual << 20 << 2;
        QTest::newRow("48: exactly") << usual << 48 << 3;
        QTest::newRow("128: next larger") << usual << 128 << 4;
        QTest::newRow("256: exactly") << usual << 256 << 4;
        const QString small = "32x32x8 16x16x32 24x24x4";
        QTest::newRow("48: none as large, the largest") << small << 48 << 0;
        QTest::newRow("16: the smallest") << small << 16 << 1;
        QTest::newRow("20: the one between") << small << 20 << 2;
        QTest::newRow("equal: the earlier") << "32x32x32 32x32x32" << 32 << 0;
        QTest::newRow("same side: the larger area") << "32x16x32 32x32x4" << 128 << 1;
    }
    void thumbnailImageFitsTheSize()
    {
        QFETCH(QString, images);
        QFETCH(int, size);
        QFETCH(int, chosen);
        QCOMPARE(chooseThumbnailImage(shapes(images), size), std::size_t(chosen));
    }
};

QTEST_APPLESS_MAIN(TestIconImages)
#include "tst_icon_images.moc"
