#include "raster/flood_fill.h"

#include <QtTest>

#include <climits>
#include <random>

using namespace pimoko;

namespace {

constexpr Color kRed = 0x0000FF;

// Rows joined by '/': '#' black, '.' white, 'r' red.
PixelBuffer fromMap(const QString& text)
{
    const QStringList rows = text.split(QLatin1Char('/'));
    PixelBuffer buffer(int(rows.first().size()), int(rows.size()), kWhite);
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x) {
            const QChar c = rows[y][x];
            buffer.setPixel(x, y, c == QLatin1Char('#') ? kBlack : c == QLatin1Char('r') ? kRed : kWhite);
        }
    return buffer;
}

// Plain pixel-by-pixel breadth-first fill to check the run-based one against.
void referenceFill(PixelBuffer& buffer, int x, int y, Color k)
{
    const Color target = buffer.pixel(x, y);
    QList<QPoint> queue{{x, y}};
    buffer.setPixel(x, y, k);
    for (qsizetype i = 0; i < queue.size(); ++i) {
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = queue[i] + d;
            if (buffer.pixelOr(q.x(), q.y(), ~target) == target) {
                buffer.setPixel(q.x(), q.y(), k);
                queue << q;
            }
        }
    }
}

} // namespace

class TestFloodFill : public QObject {
    Q_OBJECT

private slots:
    void fillsFourConnectedRegion_data();
    void fillsFourConnectedRegion();
    void indexedBufferTakesNearestColourAndEnds_data();
    void indexedBufferTakesNearestColourAndEnds();
    void largeAndRandomImagesMatchPixelByPixelFill();
};

void TestFloodFill::fillsFourConnectedRegion_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QString>("after");
    // Every white pixel joins the corridor winding in from the top-left corner.
    const QString spiral = QStringLiteral(
        "........./########./.......#./.#####.#./.#...#.#./.#.#.#.#./.#.#...#./.#.#####./.........");
    QString filledSpiral = spiral;
    filledSpiral.replace(QLatin1Char('.'), QLatin1Char('r'));

    QTest::newRow("diagonal line holds") << QStringLiteral("#..../.#.../..#../...#./....#") << QPoint(4, 0)
                                         << QStringLiteral("#rrrr/.#rrr/..#rr/...#r/....#");
    QTest::newRow("diagonal ring holds") << QStringLiteral("..#../.#.#./#...#/.#.#./..#..") << QPoint(2, 2)
                                         << QStringLiteral("..#../.#r#./#rrr#/.#r#./..#..");
    QTest::newRow("pixels touching at corners are apart")
        << QStringLiteral("#..../.#.../..##./.....") << QPoint(2, 2) << QStringLiteral("#..../.#.../..rr./.....");
    QTest::newRow("spiral entered at its mouth") << spiral << QPoint(0, 0) << filledSpiral;
    QTest::newRow("spiral entered at its centre") << spiral << QPoint(4, 5) << filledSpiral;
    QTest::newRow("colour already there") << QStringLiteral("rr#./r.#r") << QPoint(0, 0) << QStringLiteral("rr#./r.#r");
    QTest::newRow("start left of the buffer") << QStringLiteral("../..") << QPoint(-1, 0) << QStringLiteral("../..");
    QTest::newRow("start below the buffer") << QStringLiteral("../..") << QPoint(0, 2) << QStringLiteral("../..");
    QTest::newRow("start far away") << QStringLiteral("../..") << QPoint(INT_MAX, INT_MIN) << QStringLiteral("../..");
}

void TestFloodFill::fillsFourConnectedRegion()
{
    QFETCH(QString, before);
    QFETCH(QPoint, start);
    QFETCH(QString, after);
    PixelBuffer buffer = fromMap(before);
    floodFill(buffer, start.x(), start.y(), kRed);
    QVERIFY(buffer == fromMap(after));
}

void TestFloodFill::indexedBufferTakesNearestColourAndEnds_data()
{
    QTest::addColumn<Color>("fill");
    QTest::addColumn<Color>("stored");
    QTest::newRow("nearest is black") << Color(0x0000FF) << kBlack;
    // Stored as the region's own white: nothing changes, and the fill must end.
    QTest::newRow("nearest is the region's white") << Color(0xE0E0E0) << kWhite;
}

void TestFloodFill::indexedBufferTakesNearestColourAndEnds()
{
    QFETCH(Color, fill);
    QFETCH(Color, stored);
    PixelBuffer buffer(16, 16, kWhite, PixelFormat::indexed(1, {0x000000, 0xFFFFFF}));
    for (int i = 2; i < 14; ++i) {  // a black frame around the region
        buffer.setPixel(i, 2, kBlack);
        buffer.setPixel(i, 13, kBlack);
        buffer.setPixel(2, i, kBlack);
        buffer.setPixel(13, i, kBlack);
    }
    PixelBuffer expected = buffer;
    expected.fillRect(3, 3, 13, 13, stored);
    floodFill(buffer, 7, 7, fill);
    QVERIFY(buffer == expected);
}

void TestFloodFill::largeAndRandomImagesMatchPixelByPixelFill()
{
    PixelBuffer whole(64, 64, kWhite);
    floodFill(whole, 63, 0, kRed);
    QVERIFY(whole == PixelBuffer(64, 64, kRed));

    std::mt19937 rng(5);
    std::bernoulli_distribution wall(0.4);
    std::uniform_int_distribution<int> coordinate(0, 63);
    for (int n = 0; n < 200; ++n) {
        PixelBuffer buffer(64, 64, kWhite);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (wall(rng))
                    buffer.setPixel(x, y, kBlack);
        const int x = coordinate(rng), y = coordinate(rng);
        PixelBuffer expected = buffer;
        referenceFill(expected, x, y, kRed);
        floodFill(buffer, x, y, kRed);
        QVERIFY2(buffer == expected, qPrintable(QStringLiteral("image %1 from %2,%3").arg(n).arg(x).arg(y)));
    }
}

QTEST_APPLESS_MAIN(TestFloodFill)
#include "tst_flood_fill.moc"
