#include "operations/model/size_choice.h"
#include "operations/model/stretch.h"

#include <QtTest>

#include <random>
#include <vector>

using namespace pimoko;

namespace {

// Run lengths "433" -> the source index of each destination pixel: 0 0 0 0 1 1 1 2 2 2.
std::vector<int> expandRuns(const QByteArray& runs)
{
    std::vector<int> sourceOf;
    for (int source = 0; source < runs.size(); ++source)
        sourceOf.insert(sourceOf.end(), std::size_t(runs[source] - '0'), source);
    return sourceOf;
}

} // namespace

// The plain stretch copy the enlarge/reduce dialog uses, and the numbers the
// dialog shows.
class StretchTest : public QObject {
    Q_OBJECT
private slots:
    void enlargingRepeatsPixels_data();
    void enlargingRepeatsPixels();
    void reducingGroupsSourcePixels_data();
    void reducingGroupsSourcePixels();
    void reducingTakesTheAndOfColours_data();
    void reducingTakesTheAndOfColours();
    void dialogNumbers_data();
    void dialogNumbers();
};

void StretchTest::enlargingRepeatsPixels_data()
{
    // How many destination pixels each source column and row becomes.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("side");
    QTest::addColumn<QByteArray>("columnRuns");
    QTest::addColumn<QByteArray>("rowRuns");
    QTest::newRow("32 to 64: 2 x 2 blocks") << QSize(32, 32) << 64 << QByteArray(32, '2') << QByteArray(32, '2');
    QTest::newRow("20 to 64") << QSize(20, 20) << 64 << QByteArray("43333").repeated(4) << QByteArray("43333").repeated(4);
    QTest::newRow("16 to 20") << QSize(16, 16) << 20 << QByteArray("2111").repeated(4) << QByteArray("2111").repeated(4);
    QTest::newRow("same size") << QSize(32, 32) << 32 << QByteArray(32, '1') << QByteArray(32, '1');
    QTest::newRow("3 x 2 to 6") << QSize(3, 2) << 6 << QByteArray("222") << QByteArray("33");
}

void StretchTest::enlargingRepeatsPixels()
{
    QFETCH(QSize, size);
    QFETCH(int, side);
    QFETCH(QByteArray, columnRuns);
    QFETCH(QByteArray, rowRuns);
    std::mt19937 random(unsigned(size.width() * 100 + side));
    PixelBuffer source(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            source.setPixel(x, y, Color(random()) & 0xFFFFFF);

    const std::vector<int> sourceColumn = expandRuns(columnRuns);
    const std::vector<int> sourceRow = expandRuns(rowRuns);
    PixelBuffer expected(side, side);
    for (int v = 0; v < side; ++v)
        for (int u = 0; u < side; ++u)
            expected.setPixel(u, v, source.pixel(sourceColumn.at(std::size_t(u)), sourceRow.at(std::size_t(v))));
    QCOMPARE(stretchImage(source, side, side), expected);
}

void StretchTest::reducingGroupsSourcePixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("side");
    QTest::newRow("64 to 32") << 64 << 32;
    QTest::newRow("64 to 20") << 64 << 20;
    QTest::newRow("32 to 20") << 32 << 20;
    QTest::newRow("20 to 16") << 20 << 16;
}

// One black pixel on white darkens exactly destination pixel
// (x * s div W, y * s div W) and nothing else; every source pixel tried.
void StretchTest::reducingGroupsSourcePixels()
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

// A 64 x 64 checkerboard: every group of 2 x 2 (to 32) or 3 or 4 squared
// (to 20) holds both colours.
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
    QCOMPARE(stretchImage(source, 20, 20), PixelBuffer(20, 20, combined));
}

void StretchTest::dialogNumbers_data()
{
    // Shown on opening for a width x height image, after item 1 was shown;
    // item -1: a size outside the four, which keeps what was shown.
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("millimetres");
    QTest::newRow("16 x 16") << 16 << 16 << 0 << 4;
    QTest::newRow("20 x 20") << 20 << 20 << 1 << 5;
    QTest::newRow("32 x 32") << 32 << 32 << 2 << 9;
    QTest::newRow("64 x 64") << 64 << 64 << 3 << 18;
    QTest::newRow("40 x 40, square but not offered") << 40 << 40 << -1 << 0;
    QTest::newRow("32 x 16") << 32 << 16 << -1 << 0;
}

void StretchTest::dialogNumbers()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, item);
    QFETCH(int, millimetres);
    const SizeChoice item1{1, 20, 20, 5, 5};
    const SizeChoice shown = sizeChoiceOnShow(item1, width, height);
    if (item < 0) {
        QCOMPARE(shown, item1);
        QCOMPARE(sizeChoiceOnShow(SizeChoice{}, width, height), (SizeChoice{0, 0, 0, 0, 0}));
    } else {
        QCOMPARE(shown, (SizeChoice{item, width, height, millimetres, millimetres}));
        QCOMPARE(sizeChoiceForItem(item), shown);  // picking the item shows the same
        QCOMPARE(canvasSizeOfItem(item), width);
    }
    // 3.405 pixels to the millimetre, truncated.
    QCOMPARE(pixelsToMillimetres(3404), 999);
    QCOMPARE(pixelsToMillimetres(7), 2);
}

QTEST_APPLESS_MAIN(StretchTest)
#include "tst_stretch.moc"
