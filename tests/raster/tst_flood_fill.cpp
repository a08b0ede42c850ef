#include "raster/flood_fill.h"

#include <QtTest>

#include <random>

using namespace pimoko;

namespace {

constexpr Color kRed = 0x0000FF;

// '#' black, '.' white, 'r' red, '?' anything else.
PixelBuffer fromAscii(const QStringList& rows)
{
    PixelBuffer buffer(int(rows.first().size()), int(rows.size()), kWhite);
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x) {
            const QChar c = rows[y][x];
            buffer.setPixel(x, y, c == QLatin1Char('#') ? kBlack : c == QLatin1Char('r') ? kRed : kWhite);
        }
    return buffer;
}

QStringList toAscii(const PixelBuffer& buffer)
{
    QStringList rows;
    for (int y = 0; y < buffer.height(); ++y) {
        QString row;
        for (int x = 0; x < buffer.width(); ++x) {
            const Color c = buffer.pixel(x, y);
            row += c == kBlack ? QLatin1Char('#') : c == kWhite ? QLatin1Char('.') : c == kRed ? QLatin1Char('r')
                                                                                                : QLatin1Char('?');
        }
        rows << row;
    }
    return rows;
}

// Plain breadth-first fill, pixel by pixel, to check the run-based fill against.
void referenceFill(PixelBuffer& buffer, int x, int y, Color k)
{
    if (!buffer.contains(x, y))
        return;
    const Color target = buffer.pixel(x, y);
    const Color fill = buffer.storable(k);
    if (fill == target)
        return;
    QList<QPoint> queue{{x, y}};
    buffer.setPixel(x, y, fill);
    for (qsizetype i = 0; i < queue.size(); ++i) {
        const QPoint p = queue[i];
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (buffer.contains(q.x(), q.y()) && buffer.pixel(q.x(), q.y()) == target) {
                buffer.setPixel(q.x(), q.y(), fill);
                queue << q;
            }
        }
    }
}

} // namespace

class TestFloodFill : public QObject {
    Q_OBJECT

private slots:
    void fillsConnectedRegion_data();
    void fillsConnectedRegion();
    void startOutsideChangesNothing_data();
    void startOutsideChangesNothing();
    void colourAlreadyThereChangesNothing();
    void indexedBufferStoresNearestColour_data();
    void indexedBufferStoresNearestColour();
    void sixteenBitBufferComparesStoredColours();
    void fillsWholeLargeImage();
    void matchesPixelByPixelFillOnRandomImages();
};

void TestFloodFill::fillsConnectedRegion_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("diagonal line does not leak")
        << QStringList{"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..", "......#.",
                       ".......#"}
        << QPoint(6, 1)
        << QStringList{"#rrrrrrr", ".#rrrrrr", "..#rrrrr", "...#rrrr", "....#rrr", ".....#rr", "......#r",
                       ".......#"};
    QTest::newRow("diagonal ring encloses its inside")
        << QStringList{"...#...", "..#.#..", ".#...#.", "#.....#", ".#...#.", "..#.#..", "...#..."}
        << QPoint(3, 3)
        << QStringList{"...#...", "..#r#..", ".#rrr#.", "#rrrrr#", ".#rrr#.", "..#r#..", "...#..."};
    QTest::newRow("fills the line itself, not the white around")
        << QStringList{"#....", ".#...", "..#..", "..##.", "....."}
        << QPoint(3, 3) << QStringList{"#....", ".#...", "..r..", "..rr.", "....."};
    const QStringList spiral = QStringList{".........", "########.", ".......#.", ".#####.#.", ".#...#.#.", ".#.#.#.#.", ".#.#...#.", ".#.#####.", "........."};
    QStringList filledSpiral = spiral;
    filledSpiral.replaceInStrings(QStringLiteral("."), QStringLiteral("r"));
    QTest::newRow("spiral entered at its mouth") << spiral << QPoint(0, 0) << filledSpiral;
    QTest::newRow("spiral entered at its centre") << spiral << QPoint(4, 5) << filledSpiral;
    QTest::newRow("region ending at every edge")
        << QStringList{".#.", "...", ".#."} << QPoint(1, 1) << QStringList{"r#r", "rrr", "r#r"};
    QTest::newRow("single pixel")
        << QStringList{"###", "#.#", "###"} << QPoint(1, 1) << QStringList{"###", "#r#", "###"};
}

void TestFloodFill::fillsConnectedRegion()
{
    QFETCH(QStringList, before);
    QFETCH(QPoint, start);
    QFETCH(QStringList, after);
    PixelBuffer buffer = fromAscii(before);
    floodFill(buffer, start.x(), start.y(), kRed);
    QCOMPARE(toAscii(buffer), after);
}

void TestFloodFill::startOutsideChangesNothing_data()
{
    QTest::addColumn<QPoint>("start");
    QTest::newRow("left") << QPoint(-1, 2);
    QTest::newRow("above") << QPoint(2, -1);
    QTest::newRow("right") << QPoint(5, 2);
    QTest::newRow("below") << QPoint(2, 4);
    QTest::newRow("far away") << QPoint(INT_MIN, INT_MAX);
}

void TestFloodFill::startOutsideChangesNothing()
{
    QFETCH(QPoint, start);
    PixelBuffer buffer(5, 4, kWhite);
    floodFill(buffer, start.x(), start.y(), kRed);
    QCOMPARE(buffer, PixelBuffer(5, 4, kWhite));

    PixelBuffer empty;
    floodFill(empty, 0, 0, kRed);
    QVERIFY(empty.isEmpty());
}

void TestFloodFill::colourAlreadyThereChangesNothing()
{
    const PixelBuffer before = fromAscii({"rr#..", "r.#.r", "rr#rr"});
    PixelBuffer buffer = before;
    floodFill(buffer, 0, 0, kRed);
    QCOMPARE(buffer, before);
    floodFill(buffer, 2, 1, kBlack);
    QCOMPARE(buffer, before);
}

void TestFloodFill::indexedBufferStoresNearestColour_data()
{
    QTest::addColumn<Color>("fillColour");
    QTest::addColumn<Color>("stored");
    // The region is white; a colour nearer white than black is stored as white,
    // so the fill has nothing to change and must still come to an end.
    QTest::newRow("nearest is black") << Color(0x202020) << kBlack;
    QTest::newRow("nearest is the region's own white") << Color(0xE0E0E0) << kWhite;
    QTest::newRow("pure red, nearer black") << kRed << kBlack;
}

void TestFloodFill::indexedBufferStoresNearestColour()
{
    QFETCH(Color, fillColour);
    QFETCH(Color, stored);
    PixelBuffer buffer(16, 16, kWhite, PixelFormat::indexed(1, {0x000000, 0xFFFFFF}));
    // A black frame keeps the fill away from the outer ring.
    for (int i = 2; i < 14; ++i) {
        buffer.setPixel(i, 2, kBlack);
        buffer.setPixel(i, 13, kBlack);
        buffer.setPixel(2, i, kBlack);
        buffer.setPixel(13, i, kBlack);
    }
    floodFill(buffer, 7, 7, fillColour);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x > 2 && x < 13 && y > 2 && y < 13;
            const bool frame = !inside && x >= 2 && x <= 13 && y >= 2 && y <= 13;
            QCOMPARE(buffer.pixel(x, y), inside ? stored : frame ? kBlack : kWhite);
        }
    }
}

void TestFloodFill::sixteenBitBufferComparesStoredColours()
{
    PixelBuffer buffer(8, 8, 0x000000, PixelFormat::rgb555());
    // 0x070707 loses its low bits in five-bit channels and is stored as black.
    floodFill(buffer, 3, 3, 0x070707);
    QCOMPARE(buffer, PixelBuffer(8, 8, 0x000000, PixelFormat::rgb555()));

    floodFill(buffer, 3, 3, 0x0F0F0F);
    QCOMPARE(buffer.pixel(0, 0), buffer.storable(0x0F0F0F));
    QCOMPARE(buffer.pixel(7, 7), Color(0x080808));
}

void TestFloodFill::fillsWholeLargeImage()
{
    PixelBuffer buffer(64, 64, kWhite);
    floodFill(buffer, 63, 0, kRed);
    QCOMPARE(buffer, PixelBuffer(64, 64, kRed));

    // A comb of one-pixel walls: every row of the region is visited many
    // times over, and the pixel count is large enough to show a runaway.
    PixelBuffer comb(1024, 1024, kWhite);
    for (int x = 1; x < 1024; x += 2)
        for (int y = 0; y < 1023; ++y)
            comb.setPixel(x, (x / 2) % 2 ? y + 1 : y, kBlack);
    PixelBuffer expected = comb;
    referenceFill(expected, 0, 0, kRed);
    floodFill(comb, 0, 0, kRed);
    QVERIFY(comb == expected);
    QCOMPARE(comb.pixel(1022, 0), kRed);
}

void TestFloodFill::matchesPixelByPixelFillOnRandomImages()
{
    std::mt19937 rng(5);
    std::bernoulli_distribution wall(0.4);
    std::uniform_int_distribution<int> coordinate(0, 31);
    for (int n = 0; n < 200; ++n) {
        PixelBuffer buffer(32, 32, kWhite);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (wall(rng))
                    buffer.setPixel(x, y, kBlack);
        const int x = coordinate(rng);
        const int y = coordinate(rng);
        PixelBuffer expected = buffer;
        referenceFill(expected, x, y, kRed);
        floodFill(buffer, x, y, kRed);
        QVERIFY2(buffer == expected, qPrintable(QStringLiteral("image %1 from %2,%3").arg(n).arg(x).arg(y)));
    }
}

QTEST_APPLESS_MAIN(TestFloodFill)
#include "tst_flood_fill.moc"
