#include "operations/model/transform.h"

#include <QtTest>

#include <random>
#include <vector>

using namespace pimoko;

namespace {

constexpr Color p = 0x0000FF, q = 0x00FF00, r = 0xFF0000, s = 0x000000;

// A 2 x 2 image in a 4-bit format holding just these colours, so that the
// format has to travel with the pixels.
PixelBuffer twoByTwo(Color topLeft, Color topRight, Color bottomLeft, Color bottomRight)
{
    PixelBuffer image(2, 2, kWhite, PixelFormat::indexed(4, {p, q, r, s, kWhite}));
    image.setPixel(0, 0, topLeft);
    image.setPixel(1, 0, topRight);
    image.setPixel(0, 1, bottomLeft);
    image.setPixel(1, 1, bottomRight);
    return image;
}

PixelBuffer applyAll(PixelBuffer image, const QList<int>& modes)
{
    for (int mode : modes)
        image = TransformImage(image, TransformMode(mode));
    return image;
}

} // namespace

// Whole-image turns: where each pixel goes and which sequences agree.
class TransformTest : public QObject {
    Q_OBJECT
private slots:
    void twoByTwoImage_data();
    void twoByTwoImage();
    void sequencesAgree_data();
    void sequencesAgree();
    void rotationSwapsWidthAndHeight();
};

void TransformTest::twoByTwoImage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<std::vector<Color>>("expected");  // top row, then bottom row
    QTest::newRow("rotate right") << 90 << std::vector<Color>{r, p, s, q};
    QTest::newRow("mirror left-right") << 99 << std::vector<Color>{q, p, s, r};
    QTest::newRow("mirror top-bottom") << 188 << std::vector<Color>{r, s, p, q};
}

void TransformTest::twoByTwoImage()
{
    QFETCH(int, mode);
    QFETCH(std::vector<Color>, expected);
    const PixelBuffer source = twoByTwo(p, q, r, s);
    const PixelBuffer result = TransformImage(source, TransformMode(mode));
    QCOMPARE(result, twoByTwo(expected[0], expected[1], expected[2], expected[3]));
    QCOMPARE(result.format(), source.format());
}

void TransformTest::sequencesAgree_data()
{
    // Both sequences applied to one seeded random image give the same result.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<QList<int>>("second");
    for (const QSize size : {QSize(32, 32), QSize(7, 4)}) {
        const QByteArray tag = QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
        QTest::newRow(tag + " four rotations") << size << QList<int>{90, 90, 90, 90} << QList<int>{};
        QTest::newRow(tag + " two left-right") << size << QList<int>{99, 99} << QList<int>{};
        QTest::newRow(tag + " two top-bottom") << size << QList<int>{188, 188} << QList<int>{};
        QTest::newRow(tag + " mirror, flip: half turn") << size << QList<int>{99, 188} << QList<int>{90, 90};
        QTest::newRow(tag + " mirror after three turns") << size << QList<int>{90, 90, 90, 99} << QList<int>{99, 90};
    }
}

void TransformTest::sequencesAgree()
{
    QFETCH(QSize, size);
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, second);
    std::mt19937 random(20240611u + unsigned(size.width()));
    PixelBuffer image(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, Color(random()) & 0xFFFFFF);
    QCOMPARE(applyAll(image, first), applyAll(image, second));
    QVERIFY(TransformImage(image, TransformMode(first.front())) != image);  // not restored by doing nothing
}

void TransformTest::rotationSwapsWidthAndHeight()
{
    PixelBuffer image(5, 3);
    image.setPixel(0, 0, p);
    image.setPixel(4, 0, q);
    image.setPixel(4, 2, r);
    image.setPixel(0, 2, s);
    const PixelBuffer turned = TransformImage(image, TransformMode::RotateRight);
    QCOMPARE(QSize(turned.width(), turned.height()), QSize(3, 5));
    // The corners move on clockwise; everything else stays white.
    PixelBuffer expected(3, 5);
    expected.setPixel(2, 0, p);
    expected.setPixel(2, 4, q);
    expected.setPixel(0, 4, r);
    expected.setPixel(0, 0, s);
    QCOMPARE(turned, expected);
}

QTEST_APPLESS_MAIN(TransformTest)
#include "tst_transform.moc"
