// The bitmap reader against the bmpsuite conformance files kept in
// tests/data/bmpsuite: each file the reader takes is compared pixel for pixel
// with the suite's own reference rendering, loaded by Qt's PNG reader; each
// file it refuses must give the bitmap error text. A missing file fails.
#include "files/codec/bmp_reader.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace pimoko;

namespace {

QString suiteDir()
{
    return QStringLiteral(PIMOKO_TEST_DATA_DIR "/bmpsuite");
}

std::vector<std::uint8_t> readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

// Files read and the reference each is compared with. RLE files that skip
// pixels are compared with the rendering that gives them colour 0.
// tolerance: how far a channel may stray from the reference, for a file whose
// wide channels were not made from the reference's 8-bit values.
struct Readable {
    const char* file;
    const char* reference;
    int tolerance = 0;
};

constexpr Readable kReadable[] = {
    {"g/pal1.bmp", "pal1.png"},
    {"g/pal1bg.bmp", "pal1bg.png"},
    {"g/pal1wb.bmp", "pal1.png"},
    {"g/pal4.bmp", "pal4.png"},
    {"g/pal4gs.bmp", "pal4gs.png"},
    {"g/pal4rle.bmp", "pal4.png"},
    {"g/pal8-0.bmp", "pal8.png"},
    {"g/pal8.bmp", "pal8.png"},
    {"g/pal8gs.bmp", "pal8gs.png"},
    {"g/pal8nonsquare.bmp", "pal8nonsquare-e.png"},
    {"g/pal8os2.bmp", "pal8.png"},
    {"g/pal8rle.bmp", "pal8.png"},
    {"g/pal8topdown.bmp", "pal8.png"},
    {"g/pal8v4.bmp", "pal8.png"},
    {"g/pal8v5.bmp", "pal8.png"},
    {"g/pal8w124.bmp", "pal8w124.png"},
    {"g/pal8w125.bmp", "pal8w125.png"},
    {"g/pal8w126.bmp", "pal8w126.png"},
    {"g/rgb16-565.bmp", "rgb16-565.png"},
    {"g/rgb16-565pal.bmp", "rgb16-565.png"},
    {"g/rgb16.bmp", "rgb16.png"},
    {"g/rgb16bfdef.bmp", "rgb16.png"},
    {"g/rgb24.bmp", "rgb24.png"},
    {"g/rgb24pal.bmp", "rgb24.png"},
    {"g/rgb32.bmp", "rgb24.png"},
    {"g/rgb32bf.bmp", "rgb24.png"},
    {"g/rgb32bfdef.bmp", "rgb24.png"},
    {"q/pal1p1.bmp", "pal1p1.png"},
    {"q/pal4rlecut.bmp", "pal4rlecut-0.png"},
    {"q/pal4rletrns.bmp", "pal4rletrns-0.png"},
    {"q/pal8offs.bmp", "pal8.png"},
    {"q/pal8os2-hs.bmp", "pal8.png"},
    {"q/pal8os2-sz.bmp", "pal8.png"},
    {"q/pal8os2sp.bmp", "pal8.png"},
    {"q/pal8os2v2-40sz.bmp", "pal8.png"},
    {"q/pal8os2v2-sz.bmp", "pal8.png"},
    {"q/pal8os2v2.bmp", "pal8.png"},
    {"q/pal8oversizepal.bmp", "pal8.png"},
    {"q/pal8rlecut.bmp", "pal8rlecut-0.png"},
    {"q/pal8rletrns.bmp", "pal8rletrns-0.png"},
    {"q/rgb16-231.bmp", "rgb16-231.png"},
    {"q/rgb16-3103.bmp", "rgb16-3103.png"},
    {"q/rgb16faketrns.bmp", "rgb16.png"},
    {"q/rgb24largepal.bmp", "rgb24.png"},
    {"q/rgb24lprof.bmp", "rgb24.png"},
    {"q/rgb24prof.bmp", "rgb24.png"},
    {"q/rgb32-111110.bmp", "rgb24.png", 1},
    {"q/rgb32-7187.bmp", "rgb32-7187.png"},
    {"q/rgb32-xbgr.bmp", "rgb24.png"},
    {"q/rgb32fakealpha.bmp", "rgb24.png"},
    {"q/rgb32h52.bmp", "rgb24.png"},
    {"q/rgba16-1924.bmp", "rgba16-1924.png"},
    {"q/rgba16-4444.bmp", "rgba16-4444.png"},
    {"q/rgba16-5551.bmp", "rgba16-5551.png"},
    {"q/rgba32-1.bmp", "rgba32.png"},
    {"q/rgba32-1010102.bmp", "rgba32-1010102.png"},
    {"q/rgba32-2.bmp", "rgba32.png"},
    {"q/rgba32-61754.bmp", "rgba32-61754.png"},
    {"q/rgba32-81284.bmp", "rgba32-81284.png"},
    {"q/rgba32abf.bmp", "rgba32.png"},
    {"q/rgba32h56.bmp", "rgba32.png"},
    {"b/baddens1.bmp", "pal1.png"},  // only the resolution fields are odd
    {"b/baddens2.bmp", "pal1.png"},
    {"b/badfilesize.bmp", "pal1.png"},  // the file-size field is not used
    {"b/badheadersize.bmp", "pal1.png"},  // a 66-byte header: any of 40 bytes or more is read
};

// Files refused with the bitmap error text.
constexpr const char* kRefused[] = {
    "q/pal1huffmsb.bmp",    // Huffman coding
    "q/pal2.bmp",           // 2 bits per pixel
    "q/pal2color.bmp",
    "q/pal8os2v2-16.bmp",   // 16-byte header
    "q/rgb24jpeg.bmp",      // embedded JPEG
    "q/rgb24png.bmp",       // embedded PNG
    "q/rgb24rle24.bmp",     // RLE24
    "q/rgba64.bmp",         // 64 bits per pixel
    "x/ba-bm.bmp",          // "BA" container
    "b/badbitcount.bmp",
    "b/badbitssize.bmp",
    "b/badpalettesize.bmp",
    "b/badplanes.bmp",
    "b/badrle.bmp",
    "b/badrle4.bmp",
    "b/badrle4bis.bmp",
    "b/badrle4ter.bmp",
    "b/badrlebis.bmp",
    "b/badrleter.bmp",
    "b/badwidth.bmp",
    "b/reallybig.bmp",
    "b/rgb16-880.bmp",      // no blue bits
    "b/rletopdown.bmp",
    "b/shortfile.bmp",
};

} // namespace

class BmpSuiteTest : public QObject {
    Q_OBJECT
private slots:
    void readFilesMatchTheirReference_data();
    void readFilesMatchTheirReference();
    void refusedFilesGiveTheBitmapError_data();
    void refusedFilesGiveTheBitmapError();
    void indicesBeyondTheTableReadAsBlack();
    void savedAgainKeepsHeaderAndAlpha_data();
    void savedAgainKeepsHeaderAndAlpha();
};

void BmpSuiteTest::readFilesMatchTheirReference_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("tolerance");
    for (const Readable& r : kReadable)
        QTest::newRow(r.file) << QString::fromLatin1(r.file) << QString::fromLatin1(r.reference) << r.tolerance;
}

void BmpSuiteTest::readFilesMatchTheirReference()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QFETCH(int, tolerance);
    const std::vector<std::uint8_t> bytes = readBytes(suiteDir() + '/' + file);
    QVERIFY(!bytes.empty());
    const QImage expected(suiteDir() + "/html/" + reference);
    QVERIFY(!expected.isNull());

    const BitmapInfo info = readBitmapInfo(bytes);
    QCOMPARE(info.width, expected.width());
    QCOMPARE(info.height, expected.height());
    const PixelBuffer image = readBitmapFile(bytes);
    QCOMPARE(image.width(), expected.width());
    QCOMPARE(image.height(), expected.height());
    QCOMPARE(image.format().bitsPerPixel, info.bitsPerPixel);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb want = expected.pixel(x, y);
            // The colours are read opaque; where the reference is fully
            // transparent its colour says nothing.
            if (qAlpha(want) == 0)
                continue;
            const Color got = image.pixel(x, y);
            const Color wantColor = rgb(qRed(want), qGreen(want), qBlue(want));
            const bool near = std::abs(redOf(got) - qRed(want)) <= tolerance
                && std::abs(greenOf(got) - qGreen(want)) <= tolerance
                && std::abs(blueOf(got) - qBlue(want)) <= tolerance;
            if (!near)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): read %3, reference %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(got, 6, 16, QChar('0'))
                                     .arg(wantColor, 6, 16, QChar('0'))));
            QCOMPARE(image.storable(got), got);
        }
}

void BmpSuiteTest::refusedFilesGiveTheBitmapError_data()
{
    QTest::addColumn<QString>("file");
    for (const char* f : kRefused)
        QTest::newRow(f) << QString::fromLatin1(f);
}

void BmpSuiteTest::refusedFilesGiveTheBitmapError()
{
    QFETCH(QString, file);
    const std::vector<std::uint8_t> bytes = readBytes(suiteDir() + '/' + file);
    QVERIFY(!bytes.empty());
    // Damage in the pixel data shows only when decoding; the headers alone
    // may pass, but any refusal carries the bitmap text.
    const auto refusal = [](auto read) {
        try {
            read();
        } catch (const FileError& error) {
            return QString::fromUtf8(error.what());
        }
        return QString();
    };
    const QString infoRefusal = refusal([&] { readBitmapInfo(bytes); });
    QVERIFY(infoRefusal.isEmpty() || infoRefusal == QString::fromUtf8(kInvalidBitmapText));
    QCOMPARE(refusal([&] { readBitmapFile(bytes); }), QString::fromUtf8(kInvalidBitmapText));
}

// b/pal8badindex.bmp: a table of 101 colours and pixels up to index 255.
void BmpSuiteTest::indicesBeyondTheTableReadAsBlack()
{
    const std::vector<std::uint8_t> bytes = readBytes(suiteDir() + "/b/pal8badindex.bmp");
    QVERIFY(!bytes.empty());
    const PixelBuffer image = readBitmapFile(bytes);
    const QImage pal8(suiteDir() + "/html/pal8.png");
    QCOMPARE(image.width(), pal8.width());
    QCOMPARE(image.height(), pal8.height());
    QVERIFY(image.format().palette.size() > 101);
    QCOMPARE(image.format().palette.back(), kBlack);
    int black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color got = image.pixel(x, y);
            QCOMPARE(image.storable(got), got);
            if (got == kBlack)
                ++black;
        }
    QVERIFY(black > image.width());
}

void BmpSuiteTest::savedAgainKeepsHeaderAndAlpha_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("tolerance");
    for (const Readable& r : kReadable) {
        const QString file = QString::fromLatin1(r.file);
        if (file.contains(u"rgba") || file.contains(u"prof") || file.endsWith(u"v5.bmp") || file.endsWith(u"h52.bmp")
            || file.endsWith(u"565.bmp"))
            QTest::newRow(r.file) << file << r.tolerance;
    }
}

// Read and written again, a bitmap keeps its header (size, masks, colour
// space; a profile moves but keeps its bytes) and, as Qt's reader sees the
// written file, the colours and alpha Qt reads in the original. Where Qt
// reads no such file, the pixel rows must come back byte for byte.
void BmpSuiteTest::savedAgainKeepsHeaderAndAlpha()
{
    QFETCH(QString, file);
    QFETCH(int, tolerance);
    const std::vector<std::uint8_t> original = readBytes(suiteDir() + '/' + file);
    const std::vector<std::uint8_t> saved = bitmapFileBytes(readBitmapFile(original));
    const auto u32 = [](const std::vector<std::uint8_t>& b, std::size_t at) {
        return std::uint32_t(b.at(at)) | std::uint32_t(b.at(at + 1)) << 8 | std::uint32_t(b.at(at + 2)) << 16
            | std::uint32_t(b.at(at + 3)) << 24;
    };
    const std::uint32_t headerSize = u32(original, 14);
    QCOMPARE(u32(saved, 14), headerSize);
    for (std::size_t at = 14 + 40; at < 14 + headerSize; ++at)
        if (at < 14 + 112 || at >= 14 + 120)  // the profile's place
            QVERIFY2(saved[at] == original[at], qPrintable(QStringLiteral("header byte %1").arg(at)));
    if (headerSize == 124 && u32(original, 14 + 116) != 0) {
        const auto profile = [&](const std::vector<std::uint8_t>& b) {
            const std::size_t at = 14 + u32(b, 14 + 112);
            return std::vector<std::uint8_t>(b.begin() + std::ptrdiff_t(at),
                                             b.begin() + std::ptrdiff_t(at + u32(b, 14 + 116)));
        };
        QCOMPARE(profile(saved), profile(original));
    }

    const auto readByQt = [](const std::vector<std::uint8_t>& bytes) {
        QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        QBuffer buffer(&data);
        return QImageReader(&buffer, "bmp").read().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage seen = readByQt(saved);
    // Qt's reader keeps narrow channels unscaled: it is held to its own
    // reading of the original.
    const QImage expected = readByQt(original);
    if (expected.isNull()) {
        const std::size_t rows = original.size() - u32(original, 10);
        QCOMPARE(std::vector<std::uint8_t>(saved.begin() + u32(saved, 10), saved.begin() + u32(saved, 10) + rows),
                 std::vector<std::uint8_t>(original.begin() + u32(original, 10), original.end()));
        return;
    }
    QCOMPARE(seen.size(), expected.size());
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x) {
            const QRgb got = seen.pixel(x, y);
            const QRgb want = expected.pixel(x, y);
            const int channels = qAlpha(want) == 0 ? 1 : 4;  // a transparent colour says nothing
            const int gotValues[] = {qAlpha(got), qRed(got), qGreen(got), qBlue(got)};
            const int wantValues[] = {qAlpha(want), qRed(want), qGreen(want), qBlue(want)};
            for (int c = 0; c < channels; ++c)
                if (std::abs(gotValues[c] - wantValues[c]) > tolerance)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): Qt reads %3, in the original %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(got, 8, 16, QChar('0'))
                                         .arg(want, 8, 16, QChar('0'))));
        }
}

QTEST_MAIN(BmpSuiteTest)
#include "tst_bmpsuite.moc"
