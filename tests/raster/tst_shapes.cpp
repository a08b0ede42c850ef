#include "raster/shapes.h"

#include <QtTest>

#include <climits>
#include <random>

using namespace pimoko;

namespace {

constexpr Color kPen = 0x0000FF;

enum class Shape { Line, Box, Ellipse, RoundRect };

struct Figure {
    Shape shape;
    Point a;
    Point b;
    int cornerWidth = 0;
    int cornerHeight = 0;

    void draw(PixelBuffer& buffer, Color pen, RasterOp op) const
    {
        switch (shape) {
        case Shape::Line: drawLine(buffer, a, b, pen, op); break;
        case Shape::Box: drawBoxOutline(buffer, a, b, pen, op); break;
        case Shape::Ellipse: drawEllipseOutline(buffer, a, b, pen, op); break;
        case Shape::RoundRect: drawRoundRectOutline(buffer, a, b, cornerWidth, cornerHeight, pen, op); break;
        }
    }
    QString name() const
    {
        return QStringLiteral("shape %1 (%2,%3)-(%4,%5) corners %6x%7")
            .arg(int(shape)).arg(a.x).arg(a.y).arg(b.x).arg(b.y).arg(cornerWidth).arg(cornerHeight);
    }
};

// The buffer as rows joined by '/': '#' the pen colour, '.' white, '?' other.
QString map(const PixelBuffer& buffer)
{
    QString text;
    for (int y = 0; y < buffer.height(); ++y) {
        if (y > 0)
            text += QLatin1Char('/');
        for (int x = 0; x < buffer.width(); ++x) {
            const Color c = buffer.pixel(x, y);
            text += QLatin1Char(c == kPen ? '#' : c == kWhite ? '.' : '?');
        }
    }
    return text;
}

// The figure drawn with copy on a white buffer the size of `like`.
QString drawn(const QString& like, const Figure& figure)
{
    const int width = like.contains(QLatin1Char('/')) ? int(like.indexOf(QLatin1Char('/'))) : int(like.size());
    PixelBuffer buffer(width, int(like.count(QLatin1Char('/'))) + 1, kWhite);
    figure.draw(buffer, kPen, RasterOp::Copy);
    return map(buffer);
}

// The same box dragged in all four directions.
QList<std::pair<Point, Point>> directions(Point a, Point b)
{
    return {{a, b}, {b, a}, {{a.x, b.y}, {b.x, a.y}}, {{b.x, a.y}, {a.x, b.y}}};
}

} // namespace

Q_DECLARE_METATYPE(Figure)

class TestShapes : public QObject {
    Q_OBJECT

private slots:
    void drawsExactPixels_data();
    void drawsExactPixels();
    void ellipseSymmetricConfinedAndClosed();
    void notXorGivesPenOnWhiteAndComplementOnBlack();
    void randomFiguresChangeEachPixelOnceAndClipExactly();
};

void TestShapes::drawsExactPixels_data()
{
    QTest::addColumn<Figure>("figure");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, Figure f, const char* expected) {
        QTest::newRow(name) << f << QString::fromLatin1(expected);
    };
    // Lines: the start is drawn, the end is not; a tie takes the larger coordinate.
    row("line a == b", {Shape::Line, {1, 1}, {1, 1}}, ".../.../...");
    row("line right to left", {Shape::Line, {5, 1}, {1, 1}}, "....../..####/......");
    row("line along a row steps half-way", {Shape::Line, {0, 0}, {8, 1}}, "####...../....####./.........");
    row("same line dragged back", {Shape::Line, {8, 1}, {0, 0}}, ".###...../....#####/.........");
    row("steep line", {Shape::Line, {1, 0}, {2, 4}}, ".#./.#./..#/..#/...");
    row("line between extreme points", {Shape::Line, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}}, "#../.#./..#");
    row("line far outside", {Shape::Line, {-100000, 3}, {-90000, 900000}}, ".../.../...");

    // Boxes: columns left..right-1, rows top..bottom-1.
    const char* box = "......../......../..####../..#..#../..####../......../........";
    const char* names[] = {"box right-down", "box left-up", "box right-up", "box left-down"};
    int i = 0;
    for (auto [a, b] : directions({2, 2}, {6, 5}))
        row(names[i++], {Shape::Box, a, b}, box);
    row("box dragged from (5,4) to (2,2)", {Shape::Box, {5, 4}, {2, 2}}, "....../....../..###./..###./......");
    row("box one row high", {Shape::Box, {1, 1}, {6, 2}}, "....../.#####/......");
    row("box one column wide", {Shape::Box, {2, 4}, {1, 0}}, ".#./.#./.#./.#./...");
    row("box left == right", {Shape::Box, {3, 1}, {3, 5}}, "....../....../......");
    row("box top == bottom", {Shape::Box, {1, 2}, {5, 2}}, "....../....../......");
    row("box partly outside", {Shape::Box, {-2, -1}, {4, 3}}, "...#../...#../####../......");
    row("box from INT_MIN", {Shape::Box, {INT_MIN, INT_MIN}, {3, 2}}, "..#.../###.../......");
    row("box around the buffer", {Shape::Box, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}}, ".../...");

    // Ellipses inscribed in the same box.
    row("ellipse 1x3", {Shape::Ellipse, {0, 3}, {1, 0}}, "#/#/#");
    row("ellipse 2x2", {Shape::Ellipse, {2, 0}, {0, 2}}, "##/##");
    row("ellipse 3x3", {Shape::Ellipse, {0, 0}, {3, 3}}, ".#./#.#/.#.");
    row("ellipse 5x5", {Shape::Ellipse, {5, 5}, {0, 0}}, ".###./#...#/#...#/#...#/.###.");
    row("ellipse 6x3", {Shape::Ellipse, {0, 3}, {6, 0}}, ".####./#....#/.####.");
    row("ellipse 9x7", {Shape::Ellipse, {0, 0}, {9, 7}},
        "..#####../.#.....#./#.......#/#.......#/#.......#/.#.....#./..#####..");
    row("ellipse 40008 wide", {Shape::Ellipse, {-20000, 0}, {20008, 4}}, "########/......../......../########");

    // Rounded boxes: corner sizes count by magnitude, at most the box's size.
    const char* rounded = "..########../.#........#./#..........#/#..........#/#..........#/#..........#/"
                          ".#........#./..########..";
    row("round rect 8x6 corners", {Shape::RoundRect, {0, 0}, {12, 8}, 8, 6}, rounded);
    row("round rect negative corners", {Shape::RoundRect, {12, 8}, {0, 0}, -8, -6}, rounded);
    row("round rect 0 wide corners are square", {Shape::RoundRect, {0, 0}, {5, 3}, 0, 3}, "#####/#...#/#####");
    row("round rect 1 high corners are square", {Shape::RoundRect, {0, 0}, {5, 3}, 5, -1}, "#####/#...#/#####");
    row("round rect oversized corners make an ellipse", {Shape::RoundRect, {0, 0}, {9, 7}, 99, INT_MIN},
        "..#####../.#.....#./#.......#/#.......#/#.......#/.#.....#./..#####..");
}

void TestShapes::drawsExactPixels()
{
    QFETCH(Figure, figure);
    QFETCH(QString, expected);
    QCOMPARE(drawn(expected, figure), expected);
}

void TestShapes::ellipseSymmetricConfinedAndClosed()
{
    for (int w = 1; w <= 30; ++w) {
        for (int h = 1; h <= 30; ++h) {
            const QString name = QStringLiteral("%1x%2").arg(w).arg(h);
            // One pixel of margin around the box.
            PixelBuffer buffer(w + 2, h + 2, kWhite);
            drawEllipseOutline(buffer, {w + 1, 1}, {1, h + 1}, kPen, RasterOp::Copy);
            int sides = 0;
            for (int y = 0; y < h + 2; ++y) {
                for (int x = 0; x < w + 2; ++x) {
                    if (buffer.pixel(x, y) != kPen)
                        continue;
                    QVERIFY2(x >= 1 && x <= w && y >= 1 && y <= h, qPrintable(name));
                    QVERIFY2(buffer.pixel(w + 1 - x, y) == kPen, qPrintable(name));
                    QVERIFY2(buffer.pixel(x, h + 1 - y) == kPen, qPrintable(name));
                    sides |= (x == 1) | (x == w) << 1 | (y == 1) << 2 | (y == h) << 3;
                }
            }
            QVERIFY2(sides == 15, qPrintable(name + QStringLiteral(" misses a side of its box")));
            // Closed: a 4-connected walk from the margin never reaches the middle.
            QList<QPoint> stack{{0, 0}};
            while (w >= 3 && h >= 3 && !stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                if (buffer.pixelOr(p.x(), p.y(), kPen) != kWhite)
                    continue;
                buffer.setPixel(p.x(), p.y(), kBlack);
                stack << p + QPoint(1, 0) << p - QPoint(1, 0) << p + QPoint(0, 1) << p - QPoint(0, 1);
            }
            const bool hasInside = w >= 3 && h >= 3;
            QVERIFY2(!hasInside || buffer.pixel((w + 1) / 2, (h + 1) / 2) == kWhite,
                     qPrintable(name + QStringLiteral(" leaks")));
        }
    }
}

void TestShapes::notXorGivesPenOnWhiteAndComplementOnBlack()
{
    constexpr Color blue = 0xFF0000;
    for (const Shape shape : {Shape::Line, Shape::Box, Shape::Ellipse, Shape::RoundRect}) {
        const Figure figure{shape, {1, 1}, {11, 8}, 4, 4};
        PixelBuffer buffer(12, 9, kWhite);
        buffer.fillRect(0, 0, 6, 9, kBlack);  // left half black
        figure.draw(buffer, blue, RasterOp::NotXor);
        PixelBuffer reference(12, 9, kWhite);
        figure.draw(reference, blue, RasterOp::Copy);
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 12; ++x) {
                const Color under = x < 6 ? kBlack : kWhite;
                const Color expected = reference.pixel(x, y) != blue ? under : under == kBlack ? 0x00FFFF : blue;
                QCOMPARE(buffer.pixel(x, y), expected);
            }
        }
    }
}

void TestShapes::randomFiguresChangeEachPixelOnceAndClipExactly()
{
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> coordinate(-8, 28);
    std::uniform_int_distribution<int> corner(-24, 24);
    std::uniform_int_distribution<int> shape(0, 3);
    std::uniform_int_distribution<Color> colour(0, 0xFFFFFF);
    PixelBuffer background(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            background.setPixel(x, y, colour(rng));

    for (int n = 0; n < 300; ++n) {
        const Point p{coordinate(rng), coordinate(rng)};
        const Point q{coordinate(rng), coordinate(rng)};
        const Shape s = Shape(shape(rng));
        const int cw = corner(rng), ch = corner(rng);
        for (auto [a, b] : directions(p, q)) {
            const Figure figure{s, a, b, cw, ch};
            // Once on white gives the pen colour where copy does: every pixel
            // of the figure is changed exactly once, so a second drawing
            // restores the buffer.
            PixelBuffer copied(20, 20, kWhite), xored(20, 20, kWhite);
            figure.draw(copied, kPen, RasterOp::Copy);
            figure.draw(xored, kPen, RasterOp::NotXor);
            QVERIFY2(copied == xored, qPrintable(figure.name()));

            // Clipped to the buffer, the same pixels as inside a buffer holding it all.
            constexpr int offset = 40;
            PixelBuffer large(100, 100, kWhite);
            Figure{s, {a.x + offset, a.y + offset}, {b.x + offset, b.y + offset}, cw, ch}.draw(large, kPen,
                                                                                               RasterOp::Copy);
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 20; ++x)
                    QVERIFY2(copied.pixel(x, y) == large.pixel(x + offset, y + offset), qPrintable(figure.name()));
        }
    }
}

QTEST_APPLESS_MAIN(TestShapes)
#include "tst_shapes.moc"
