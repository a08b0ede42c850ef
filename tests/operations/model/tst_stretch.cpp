#include "operations/model/size_choice.h"
#include "operations/model/stretch.h"

#include <QtTest>

#include <random>
#include <vector>

using namespace pimoko;

namespace {

PixelBuffer randomImage(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    PixelBuffer buffer(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer.setPixel(x, y, Color(random()) & 0xFFFFFF);
    return buffer;
}

// "43333" x 2 -> the source index of each destination pixel: 0 0 0 0 1 1 1 2 ...
std::vector<int> expandRuns(const QByteArray& runs, int repeat)
{
    std::vector<int> sourceOf;
    int source = 0;
    for (int r = 0; r < repeat; ++r)
        for (char length : runs) {
            for (int i = 0; i < length - '0'; ++i)
                sourceOf.push_back(source);
            ++source;
        }
    return sourceOf;
}

} // namespace

// The plain stretch copy the enlarge/reduce dialog uses, and the numbers the
// dialog shows for each size.
class StretchTest : public QObject {
    Q_OBJECT
private slots:
    void enlargingRepeatsPixels_data();
    void enlargingRepeatsPixels();
    void reducingCombinesEachSourcePixelOnce_data();
    void reducingCombinesEachSourcePixelOnce();
    void reducingTakesTheAndOfColours_data();
    void reducingTakesTheAndOfColours();
    void emptySourceOrTarget();
    void dialogNumbersForItems_data();
    void dialogNumbersForItems();
    void dialogNumbersOnShow_data();
    void dialogNumbersOnShow();
};

void StretchTest::enlargingRepeatsPixels_data()
{
    // Run lengths: how many destination pixels each source pixel becomes,
    // the pattern repeated along the axis.
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("side");
    QTest::addColumn<QByteArray>("columnRuns");
    QTest::addColumn<int>("columnRepeat");
    QTest::addColumn<QByteArray>("rowRuns");
    QTest::addColumn<int>("rowRepeat");
    QTest::newRow("32 to 64: 2 x 2 blocks") << 32 << 32 << 64 << QByteArray("2") << 32 << QByteArray("2") << 32;
    QTest::newRow("16 to 64: 4 x 4 blocks") << 16 << 16 << 64 << QByteArray("4") << 16 << QByteArray("4") << 16;
    QTest::newRow("20 to 64") << 20 << 20 << 64 << QByteArray("43333") << 4 << QByteArray("43333") << 4;
    QTest::newRow("16 to 20") << 16 << 16 << 20 << QByteArray("2111") << 4 << QByteArray("2111") << 4;
    QTest::newRow("same size") << 32 << 32 << 32 << QByteArray("1") << 32 << QByteArray("1") << 32;
    QTest::newRow("3 x 2 to 6") << 3 << 2 << 6 << QByteArray("2") << 3 << QByteArray("3") << 2;
}

void StretchTest::enlargingRepeatsPixels()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, side);
    QFETCH(QByteArray, columnRuns);
    QFETCH(int, columnRepeat);
    QFETCH(QByteArray, rowRuns);
    QFETCH(int, rowRepeat);
    const std::vector<int> sourceColumn = expandRuns(columnRuns, columnRepeat);
    const std::vector<int> sourceRow = expandRuns(rowRuns, rowRepeat);
    QCOMPARE(int(sourceColumn.size()), side);
    QCOMPARE(int(sourceRow.size()), side);

    const PixelBuffer source = randomImage(width, height, 7u * unsigned(width) + unsigned(side));
    PixelBuffer expected(side, side);
    for (int v = 0; v < side; ++v)
        for (int u = 0; u < side; ++u)
            expected.setPixel(u, v, source.pixel(sourceColumn[std::size_t(u)], sourceRow[std::size_t(v)]));
    QCOMPARE(stretchImage(source, side, side), expected);
}

void StretchTest::reducingCombinesEachSourcePixelOnce_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("side");
    QTest::newRow("64 to 32") << 64 << 32;
    QTest::newRow("64 to 20") << 64 << 20;
    QTest::newRow("64 to 16") << 64 << 16;
    QTest::newRow("32 to 20") << 32 << 20;
    QTest::newRow("20 to 16") << 20 << 16;
}

// One black pixel on white must darken exactly the destination pixel
// (x * s div W, y * s div W) and nothing else; trying every source pixel
// pins down the whole grouping.
void StretchTest::reducingCombinesEachSourcePixelOnce()
{
    QFETCH(int, width);
    QFETCH(int, side);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            PixelBuffer source(width, width);
            source.setPixel(x, y, kBlack);
            PixelBuffer expected(side, side);
            expected.setPixel(x * side / width, y * side / width, kBlack);
            if (stretchImage(source, side, side) != expected)
                QFAIL(qPrintable(QStringLiteral("black source pixel (%1, %2) lands wrongly").arg(x).arg(y)));
        }
    }
}

void StretchTest::reducingTakesTheAndOfColours_data()
{
    QTest::addColumn<Color>("first");
    QTest::addColumn<Color>("second");
    QTest::addColumn<Color>("combined");
    QTest::newRow("white with red gives red") << Color(0xFFFFFF) << Color(0x0000FF) << Color(0x0000FF);
    QTest::newRow("red with blue gives black") << Color(0x0000FF) << Color(0xFF0000) << Color(0x000000);
    QTest::newRow("bits kept by both") << Color(0x3C5AF0) << Color(0xF00FCC) << Color(0x300AC0);
}

// 64 to 32 over a checkerboard: every 2 x 2 block holds both colours.
void StretchTest::reducingTakesTheAndOfColours()
{
    QFETCH(Color, first);
    QFETCH(Color, second);
    QFETCH(Color, combined);
    PixelBuffer source(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            source.setPixel(x, y, (x + y) % 2 ? second : first);
    QCOMPARE(stretchImage(source, 32, 32), PixelBuffer(32, 32, combined));
    // 64 to 20 groups three or four pixels: the same pair still meets in each.
    QCOMPARE(stretchImage(source, 20, 20), PixelBuffer(20, 20, combined));
}

void StretchTest::emptySourceOrTarget()
{
    QVERIFY(stretchImage(PixelBuffer(4, 4, kBlack), 0, 16).isEmpty());
    QVERIFY(stretchImage(PixelBuffer(4, 4, kBlack), 16, -1).isEmpty());
    QCOMPARE(stretchImage(PixelBuffer(), 16, 16), PixelBuffer(16, 16, kWhite));
}

void StretchTest::dialogNumbersForItems_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("chosenItem");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("millimetres");
    QTest::newRow("item 0") << 0 << 0 << 16 << 4;
    QTest::newRow("item 1") << 1 << 1 << 20 << 5;
    QTest::newRow("item 2") << 2 << 2 << 32 << 9;
    QTest::newRow("item 3") << 3 << 3 << 64 << 18;
    QTest::newRow("no item") << -1 << 0 << 16 << 4;
    QTest::newRow("item past the last") << 4 << 0 << 16 << 4;
}

void StretchTest::dialogNumbersForItems()
{
    QFETCH(int, item);
    QFETCH(int, chosenItem);
    QFETCH(int, pixels);
    QFETCH(int, millimetres);
    QCOMPARE(canvasSizeOfItem(item), pixels);
    QCOMPARE(sizeChoiceForItem(item), (SizeChoice{chosenItem, pixels, pixels, millimetres, millimetres}));
    QCOMPARE(itemForCanvasSize(pixels, pixels), std::optional<int>(chosenItem));
}

void StretchTest::dialogNumbersOnShow_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("keepsLast");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("millimetres");
    QTest::newRow("16 x 16") << 16 << 16 << false << 0 << 4;
    QTest::newRow("20 x 20") << 20 << 20 << false << 1 << 5;
    QTest::newRow("32 x 32") << 32 << 32 << false << 2 << 9;
    QTest::newRow("64 x 64") << 64 << 64 << false << 3 << 18;
    QTest::newRow("40 x 40, square but not offered") << 40 << 40 << true << 0 << 0;
    QTest::newRow("32 x 16") << 32 << 16 << true << 0 << 0;
    QTest::newRow("16 x 32") << 16 << 32 << true << 0 << 0;
}

void StretchTest::dialogNumbersOnShow()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, keepsLast);
    QFETCH(int, item);
    QFETCH(int, millimetres);
    const SizeChoice first = sizeChoiceOnShow(SizeChoice{}, width, height);
    const SizeChoice afterItem1 = sizeChoiceOnShow(sizeChoiceForItem(1), width, height);
    if (keepsLast) {
        QCOMPARE(first, (SizeChoice{0, 0, 0, 0, 0}));
        QCOMPARE(afterItem1, (SizeChoice{1, 20, 20, 5, 5}));
        QCOMPARE(itemForCanvasSize(width, height), std::nullopt);
    } else {
        QCOMPARE(first, (SizeChoice{item, width, height, millimetres, millimetres}));
        QCOMPARE(afterItem1, first);
    }
    // 3.405 pixels to the millimetre, truncated.
    QCOMPARE(pixelsToMillimetres(3405), 1000);
    QCOMPARE(pixelsToMillimetres(3404), 999);
    QCOMPARE(pixelsToMillimetres(7), 2);
}

QTEST_APPLESS_MAIN(StretchTest)
#include "tst_stretch.moc"
