// PNG files read with every colour type and depth as Qt reads them, refused
// when damaged or too large, and written so that both read them back.
#include "files/codec/file_error.h"
#include "files/codec/png_file.h"
#include "support/file_bytes.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <sys/resource.h>

#include <zlib.h>

#include <string>

using namespace pimoko;

namespace {

Rgba rgbaOf(QRgb q)
{
    return {std::uint8_t(qRed(q)), std::uint8_t(qGreen(q)), std::uint8_t(qBlue(q)), std::uint8_t(qAlpha(q))};
}

// Changes a byte of the header and keeps its CRC valid, so that the field
// and not the checksum is what gets refused.
Bytes withHeaderByte(Bytes file, std::size_t at, std::uint8_t value)
{
    file[at] = value;
    const auto crc = std::uint32_t(crc32(0, file.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        file[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
    return file;
}

} // namespace

class TestPngFile : public QObject {
    Q_OBJECT
private slots:
    void readsEveryColourTypeAndDepth_data()
    {
        QTest::addColumn<QString>("name");
        const QDir folder(QStringLiteral(PIMOKO_TEST_DATA_DIR "/png"));
        // Qt 6.4 shifts the channels of 16-bit RGB with a tRNS colour:
        // sixteenBitColourKey checks that file by hand.
        for (const QString& name : folder.entryList({"*.png"}, QDir::Files, QDir::Name))
            if (name != "rgb16_trns.png")
                QTest::newRow(qPrintable(name)) << name;
    }
    void readsEveryColourTypeAndDepth()
    {
        QFETCH(QString, name);
        const Bytes file = readDataFile("png/" + name);
        const RgbaImage ours = readPngFile(file, 9);
        const QImage qt = QImage::fromData(file.data(), int(file.size())).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(QSize(ours.width(), ours.height()), qt.size());
        for (int y = 0; y < qt.height(); ++y)
            for (int x = 0; x < qt.width(); ++x) {
                Rgba want = rgbaOf(qt.pixel(x, y));
                if (want.a == 0)  // Qt drops the colour of transparent pixels
                    want = {ours.pixel(x, y).r, ours.pixel(x, y).g, ours.pixel(x, y).b, 0};
                QVERIFY2(ours.pixel(x, y) == want,
                         qPrintable(QStringLiteral("(%1, %2): Qt reads %3").arg(x).arg(y).arg(qt.pixel(x, y), 8, 16)));
            }
    }

    // Samples (0, 51469, 37402) and the key (725, 52194, 38127), each
    // divided by 257 and rounded.
    void sixteenBitColourKey()
    {
        const RgbaImage image = readPngFile(readDataFile("png/rgb16_trns.png"), 5);
        QCOMPARE(image.pixel(0, 0), (Rgba{0, 200, 146, 255}));
        QCOMPARE(image.pixel(1, 0), (Rgba{3, 203, 148, 0}));
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<int>("maxSide");
        QTest::addColumn<QString>("text");
        const Bytes good = readDataFile("png/rgba8.png");  // 5 x 3
        const QString invalid = kInvalidPngText;
        QTest::newRow("empty") << Bytes{} << 256 << invalid;
        QTest::newRow("bitmap") << Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0} << 256 << invalid;
        QTest::newRow("signature only") << Bytes(good.begin(), good.begin() + 8) << 256 << invalid;
        QTest::newRow("cut in the pixels") << Bytes(good.begin(), good.end() - 20) << 256 << invalid;
        Bytes badCrc = good;
        badCrc[29] ^= 0xFF;
        QTest::newRow("header CRC") << badCrc << 256 << invalid;
        QTest::newRow("width 0") << withHeaderByte(good, 19, 0) << 256 << invalid;
        QTest::newRow("wider than the cap") << good << 4 << QString::fromStdString(pngTooLargeText(5, 3, 4));
        // 43 bytes whose sPLT chunk states 1.5 GB: libpng asks for all of it.
        const Bytes hugeChunk = readDataFile("png/damaged/huge_chunk.png");
        QTest::newRow("chunk stating gigabytes") << hugeChunk << 256 << invalid;
        QTest::newRow("huge, judged before any pixel") << withHeaderByte(good, 16, 0x10) << 256
                                                       << QString::fromStdString(pngTooLargeText(0x10000005, 3, 256));
    }
    void refusesWhatItCannotRead()
    {
        QFETCH(Bytes, file);
        QFETCH(int, maxSide);
        QFETCH(QString, text);
        QString refusal = "accepted";
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        try {
            readPngFile(file, maxSide);
        } catch (const FileError& error) {
            refusal = QString::fromUtf8(error.what());
        }
        getrusage(RUSAGE_SELF, &after);
        QCOMPARE(refusal, text);
        QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024, "took more than 64 MiB");
        QCOMPARE(QString::fromStdString(pngTooLargeText(300, 20, 256)), "PNGイメージが大きすぎます（300 x 20、256 x 256 まで）");
    }

    void writtenFilesReadBack_data()
    {
        QTest::addColumn<PngChannels>("channels");
        QTest::newRow("rgba") << PngChannels::Rgba;
        QTest::newRow("rgb") << PngChannels::Rgb;
    }
    void writtenFilesReadBack()
    {
        QFETCH(PngChannels, channels);
        RgbaImage image(7, 3);
        for (int i = 0; i < 21; ++i)
            image.setPixel(i % 7, i / 7, {std::uint8_t(i * 12), std::uint8_t(i * 97), std::uint8_t(255 - i), std::uint8_t(i * 40)});
        const Bytes file = writePngFile(image, channels);
        const RgbaImage ours = readPngFile(file, 7);
        const QImage qt = QImage::fromData(file.data(), int(file.size()), "PNG").convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                Rgba want = image.pixel(x, y);
                want.a = channels == PngChannels::Rgba ? want.a : 255;
                QCOMPARE(ours.pixel(x, y), want);
                QCOMPARE(rgbaOf(qt.pixel(x, y)), want);
            }
    }
};

QTEST_APPLESS_MAIN(TestPngFile)
#include "tst_png_file.moc"
