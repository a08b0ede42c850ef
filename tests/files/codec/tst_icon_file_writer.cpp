#include "files/codec/icon_file_writer.h"
#include "files/codec/icon_png.h"
#include "files/codec/png_signature.h"

#include <QTest>

#include <cstdint>
#include <new>
#include <vector>

using namespace pimoko;

Q_DECLARE_METATYPE(std::vector<std::uint8_t>)

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray hex(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex(' ');
}

} // namespace

// The one writer of icon files (header, directory, data in order), the
// bitmap rows it packs at each depth, the PNG signature and the one
// translation of a PNG failure inside an icon.
class IconFileWriterTest : public QObject {
    Q_OBJECT
private slots:
    void headerAndDirectoryOfTwoImages();
    void bitmapRowsAtEachDepth_data();
    void bitmapRowsAtEachDepth();
    void pngSignature_data();
    void pngSignature();
    void pngFailureTranslation();
};

void IconFileWriterTest::headerAndDirectoryOfTwoImages()
{
    const IconFileImage images[] = {{256, 16, 4, 7, 9, {0xAA, 0xBB, 0xCC}}, {2, 1, 0, 1, 32, {0x11, 0x22}}};
    QCOMPARE(hex(iconFileBytes(2, images)),
             QByteArray("00 00 02 00 02 00 "
                        "00 10 04 00 07 00 09 00 03 00 00 00 26 00 00 00 "
                        "02 01 00 00 01 00 20 00 02 00 00 00 29 00 00 00 "
                        "aa bb cc 11 22"));
}

void IconFileWriterTest::bitmapRowsAtEachDepth_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QByteArray>("rows");
    // Three pixels a row, two rows; the values are x + 4 * y + 1 (0xA0B0C0D0
    // plus that at 32 bits); pixel (1, 0) and (2, 1) are masked. Rows bottom-up.
    QTest::newRow("4 bits: high nibble first") << 4 << QByteArray("56 70 00 00 12 30 00 00 20 00 00 00 40 00 00 00");
    QTest::newRow("8 bits") << 8 << QByteArray("05 06 07 00 01 02 03 00 20 00 00 00 40 00 00 00");
    QTest::newRow("32 bits: blue, green, red, alpha")
        << 32
        << QByteArray("d5 c0 b0 a0 d6 c0 b0 a0 d7 c0 b0 a0 d1 c0 b0 a0 d2 c0 b0 a0 d3 c0 b0 a0 "
                      "20 00 00 00 40 00 00 00");
}

void IconFileWriterTest::bitmapRowsAtEachDepth()
{
    QFETCH(int, bits);
    QFETCH(QByteArray, rows);
    const Color table[] = {0x00112233};
    const Bytes data = iconBitmapData(
        3, 2, bits, table,
        [&](int x, int y) { return std::uint32_t(x + 4 * y + 1) + (bits == 32 ? 0xA0B0C0D0u : 0u); },
        [](int x, int y) { return (x == 1 && y == 0) || (x == 2 && y == 1); });
    const Bytes header(data.begin(), data.begin() + 44);
    const std::uint8_t colorSize = bits == 32 ? 24 : 8;
    QCOMPARE(hex(header), hex({40, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 1, 0, std::uint8_t(bits), 0, 0, 0, 0, 0,
                               colorSize, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x11, 0x22, 0x33, 0}));
    QCOMPARE(hex(Bytes(data.begin() + 44, data.end())), rows);
}

void IconFileWriterTest::pngSignature_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("isPng");
    QTest::newRow("the signature") << QByteArray("\x89PNG\r\n\x1a\n", 8) << true;
    QTest::newRow("and more") << QByteArray("\x89PNG\r\n\x1a\nIHDR", 12) << true;
    QTest::newRow("last byte off") << QByteArray("\x89PNG\r\n\x1a\x0b", 8) << false;
    QTest::newRow("first byte off") << QByteArray("\x88PNG\r\n\x1a\n", 8) << false;
    QTest::newRow("cut short") << QByteArray("\x89PNG\r\n\x1a", 7) << false;
}

void IconFileWriterTest::pngSignature()
{
    QFETCH(QByteArray, start);
    QFETCH(bool, isPng);
    const Bytes bytes(start.begin(), start.end());
    QCOMPARE(hasPngSignature(bytes), isPng);
}

void IconFileWriterTest::pngFailureTranslation()
{
    QCOMPARE(readingIconPng([] { return 7; }), 7);
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc,
                             readingIconPng([]() -> int { throw OutOfMemoryError("メモリが足りません"); }));
    try {
        readingIconPng([]() -> int { throw FileError("PNGイメージが不正です"); });
        QFAIL("not refused");
    } catch (const std::bad_alloc&) {
        QFAIL("taken for memory running out");
    } catch (const FileError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("アイコンイメージが不正です"));
    }
}

QTEST_APPLESS_MAIN(IconFileWriterTest)
#include "tst_icon_file_writer.moc"
