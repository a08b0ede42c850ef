#include "operations/model/transform.h"

#include <QtTest>

#include <algorithm>
#include <random>
#include <vector>

using namespace pimoko;

namespace {

constexpr Color p = 0x0000FF, q = 0x00FF00, r = 0xFF0000, s = 0x123456;

PixelBuffer fromRows(int width, const std::vector<Color>& pixels)
{
    const int height = int(pixels.size()) / width;
    PixelBuffer buffer(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer.setPixel(x, y, pixels[std::size_t(y * width + x)]);
    return buffer;
}

PixelBuffer randomImage(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    PixelBuffer buffer(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer.setPixel(x, y, Color(random()) & 0xFFFFFF);
    return buffer;
}

PixelBuffer applyAll(PixelBuffer image, const QList<int>& modes)
{
    for (int mode : modes)
        image = TransformImage(image, TransformMode(mode));
    return image;
}

} // namespace

// Whole-image turns: where each pixel goes, which sequences undo each
// other, and what the result keeps of the source.
class TransformTest : public QObject {
    Q_OBJECT
private slots:
    void twoByTwo_data();
    void twoByTwo();
    void sequencesRestoreOrAgree_data();
    void sequencesRestoreOrAgree();
    void rotationSwapsSizeAndTurnsCorners();
    void pixelFormatKept_data();
    void pixelFormatKept();
};

void TransformTest::twoByTwo_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<std::vector<Color>>("expected");  // top row, then bottom row
    QTest::newRow("rotate right") << 90 << std::vector<Color>{r, p, s, q};
    QTest::newRow("mirror left-right") << 99 << std::vector<Color>{q, p, s, r};
    QTest::newRow("mirror top-bottom") << 188 << std::vector<Color>{r, s, p, q};
}

void TransformTest::twoByTwo()
{
    QFETCH(int, mode);
    QFETCH(std::vector<Color>, expected);
    QCOMPARE(TransformImage(fromRows(2, {p, q, r, s}), TransformMode(mode)), fromRows(2, expected));
}

void TransformTest::sequencesRestoreOrAgree_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<QList<int>>("second");  // applied to the same image, must give the same result
    for (const QSize size : {QSize(32, 32), QSize(7, 4), QSize(2, 5)}) {
        const QByteArray tag = QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
        QTest::newRow(tag + " four rotations") << size.width() << size.height() << QList<int>{90, 90, 90, 90}
                                               << QList<int>{};
        QTest::newRow(tag + " two left-right") << size.width() << size.height() << QList<int>{99, 99} << QList<int>{};
        QTest::newRow(tag + " two top-bottom") << size.width() << size.height() << QList<int>{188, 188}
                                               << QList<int>{};
        QTest::newRow(tag + " mirror then flip is a half turn")
            << size.width() << size.height() << QList<int>{99, 188} << QList<int>{90, 90};
        QTest::newRow(tag + " three right turns and a mirror")
            << size.width() << size.height() << QList<int>{90, 90, 90, 99} << QList<int>{99, 90};
    }
}

void TransformTest::sequencesRestoreOrAgree()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, second);
    const PixelBuffer image = randomImage(width, height, 20240611u + unsigned(width * 64 + height));
    const PixelBuffer a = applyAll(image, first);
    QCOMPARE(a, applyAll(image, second));
    if (second.isEmpty() && first.size() > 1)
        QVERIFY(TransformImage(image, TransformMode(first.front())) != image);  // each step did change it
}

void TransformTest::rotationSwapsSizeAndTurnsCorners()
{
    // 5 wide, 3 high: corners a b / c d, the rest white.
    PixelBuffer image(5, 3);
    image.setPixel(0, 0, p);
    image.setPixel(4, 0, q);
    image.setPixel(0, 2, r);
    image.setPixel(4, 2, s);
    const PixelBuffer turned = TransformImage(image, TransformMode::RotateRight);
    QCOMPARE(turned.width(), 3);
    QCOMPARE(turned.height(), 5);
    QCOMPARE(turned.pixel(2, 0), p);  // top-left to top-right
    QCOMPARE(turned.pixel(2, 4), q);  // top-right to bottom-right
    QCOMPARE(turned.pixel(0, 4), s);  // bottom-right to bottom-left
    QCOMPARE(turned.pixel(0, 0), r);  // bottom-left to top-left
    QCOMPARE(turned.pixel(1, 2), kWhite);
    for (const TransformMode mirror : {TransformMode::MirrorLeftRight, TransformMode::MirrorTopBottom}) {
        const PixelBuffer mirrored = TransformImage(image, mirror);
        QCOMPARE(mirrored.width(), 5);
        QCOMPARE(mirrored.height(), 3);
    }
}

void TransformTest::pixelFormatKept_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("rotate right") << 90;
    QTest::newRow("mirror left-right") << 99;
    QTest::newRow("mirror top-bottom") << 188;
}

void TransformTest::pixelFormatKept()
{
    QFETCH(int, mode);
    const PixelFormat format = PixelFormat::indexed(4, {0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF});
    PixelBuffer image(3, 2, kWhite, format);
    image.setPixel(0, 0, 0x0000F0);  // stored as 0x0000FF
    image.setPixel(2, 1, 0x00E000);  // stored as 0x00FF00
    const PixelBuffer result = TransformImage(image, TransformMode(mode));
    QCOMPARE(result.format(), format);
    QCOMPARE(result.storable(0x0000F0), Color(0x0000FF));
    // What was stored comes back as stored, wherever it landed.
    std::vector<Color> before(image.data(), image.data() + 6);
    std::vector<Color> after(result.data(), result.data() + 6);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    QCOMPARE(after, before);
}

QTEST_APPLESS_MAIN(TransformTest)
#include "tst_transform.moc"
