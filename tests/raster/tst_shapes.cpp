#include "raster/shapes.h"

#include <QtTest>

#include <climits>
#include <functional>
#include <random>

using namespace pimoko;

namespace {

constexpr Color kPen = 0x0000FF;

// '#' for the pen colour, '.' for white, '?' for anything else.
QString toAscii(const PixelBuffer& buffer)
{
    QStringList rows;
    for (int y = 0; y < buffer.height(); ++y) {
        QString row;
        for (int x = 0; x < buffer.width(); ++x) {
            const Color c = buffer.pixel(x, y);
            row += c == kPen ? QLatin1Char('#') : c == kWhite ? QLatin1Char('.') : QLatin1Char('?');
        }
        rows << row;
    }
    return rows.join(QLatin1Char('\n'));
}

enum class Shape { Line, Box, Ellipse, RoundRect };

// A shape with its corner sizes (used by the rounded rectangle only).
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
};

QString drawn(int width, int height, const Figure& figure)
{
    PixelBuffer buffer(width, height, kWhite);
    figure.draw(buffer, kPen, RasterOp::Copy);
    return toAscii(buffer);
}

QString ascii(std::initializer_list<const char*> rows)
{
    QStringList list;
    for (const char* r : rows)
        list << QString::fromLatin1(r);
    return list.join(QLatin1Char('\n'));
}

// Pixels of a Copy drawing in the pen colour (the buffer starts white).
QList<QPoint> penPixels(const PixelBuffer& buffer)
{
    QList<QPoint> result;
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x)
            if (buffer.pixel(x, y) == kPen)
                result << QPoint(x, y);
    return result;
}

// The four drag directions of one box: a and b swapped in x and/or y.
QList<std::pair<Point, Point>> dragDirections(Point a, Point b)
{
    return {{a, b}, {b, a}, {{a.x, b.y}, {b.x, a.y}}, {{b.x, a.y}, {a.x, b.y}}};
}

Figure randomFigure(std::mt19937& rng, int span)
{
    std::uniform_int_distribution<int> coordinate(-3, span + 3);
    std::uniform_int_distribution<int> shape(0, 3);
    std::uniform_int_distribution<int> corner(-span, span);
    return {Shape(shape(rng)), {coordinate(rng), coordinate(rng)}, {coordinate(rng), coordinate(rng)}, corner(rng),
            corner(rng)};
}

PixelBuffer randomBuffer(std::mt19937& rng, int width, int height)
{
    PixelBuffer buffer(width, height);
    std::uniform_int_distribution<Color> colour(0, 0xFFFFFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer.setPixel(x, y, colour(rng));
    return buffer;
}

} // namespace

class TestShapes : public QObject {
    Q_OBJECT

private slots:
    // Lines
    void lineDrawsStartButNotEnd_data();
    void lineDrawsStartButNotEnd();
    void lineSamePointDrawsNothing();
    void lineKnownPixels_data();
    void lineKnownPixels();
    void lineReversedCoversSamePixels();
    void lineThroughExtremeCoordinates();

    // Boxes
    void boxOutline_data();
    void boxOutline();

    // Ellipses and rounded rectangles
    void ellipseKnownShapes_data();
    void ellipseKnownShapes();
    void ellipseSymmetricConfinedClosed();
    void roundRectKnownShape();
    void roundRectCornerSizes_data();
    void roundRectCornerSizes();

    // Properties shared by every shape
    void notXorColours_data();
    void notXorColours();
    void everyPixelChangedOnce();
    void notXorTwiceRestores();
    void clippingMatchesLargerBuffer();
    void farOutsideDrawsNothingAndReturns();
    void wideEllipseSeenThroughSmallBuffer();
};

void TestShapes::lineDrawsStartButNotEnd_data()
{
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::newRow("right") << QPoint(1, 3) << QPoint(8, 3);
    QTest::newRow("left") << QPoint(8, 3) << QPoint(1, 3);
    QTest::newRow("down") << QPoint(4, 0) << QPoint(4, 9);
    QTest::newRow("up") << QPoint(4, 9) << QPoint(4, 0);
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(9, 9);
    QTest::newRow("anti-diagonal") << QPoint(9, 0) << QPoint(0, 9);
    QTest::newRow("shallow") << QPoint(0, 2) << QPoint(9, 5);
    QTest::newRow("steep up-left") << QPoint(7, 9) << QPoint(5, 0);
    QTest::newRow("one step") << QPoint(3, 3) << QPoint(4, 4);
}

void TestShapes::lineDrawsStartButNotEnd()
{
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    PixelBuffer buffer(10, 10, kWhite);
    drawLine(buffer, {a.x(), a.y()}, {b.x(), b.y()}, kPen, RasterOp::Copy);
    QCOMPARE(buffer.pixel(a.x(), a.y()), kPen);
    QCOMPARE(buffer.pixel(b.x(), b.y()), kWhite);
    // One pixel per step along the longer axis, each touching the one before.
    const QList<QPoint> pixels = penPixels(buffer);
    QCOMPARE(pixels.size(), std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
    for (const QPoint& p : pixels) {
        if (p == a)
            continue;
        const bool hasNeighbour = std::any_of(pixels.begin(), pixels.end(), [&](const QPoint& q) {
            return q != p && std::abs(q.x() - p.x()) <= 1 && std::abs(q.y() - p.y()) <= 1;
        });
        QVERIFY2(hasNeighbour, qPrintable(QStringLiteral("isolated pixel %1,%2").arg(p.x()).arg(p.y())));
    }
}

void TestShapes::lineSamePointDrawsNothing()
{
    PixelBuffer buffer(5, 5, kWhite);
    drawLine(buffer, {2, 2}, {2, 2}, kPen, RasterOp::Copy);
    drawLine(buffer, {2, 2}, {2, 2}, kPen, RasterOp::NotXor);
    QCOMPARE(buffer, PixelBuffer(5, 5, kWhite));
}

void TestShapes::lineKnownPixels_data()
{
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<QString>("expected");
    // A drag along a row ends one pixel lower: the line steps down half-way.
    QTest::newRow("drag along a row") << QPoint(0, 0) << QPoint(8, 1)
                                      << ascii({"####.....", "....####.", "........."});
    QTest::newRow("same row dragged back") << QPoint(8, 1) << QPoint(0, 0)
                                           << ascii({".###.....", "....#####", "........."});
    QTest::newRow("steep") << QPoint(1, 0) << QPoint(2, 4)
                           << ascii({".#.", ".#.", "..#", "..#", "..."});
    QTest::newRow("horizontal right to left") << QPoint(5, 1) << QPoint(1, 1)
                                              << ascii({"......", "..####", "......"});
}

void TestShapes::lineKnownPixels()
{
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(QString, expected);
    const int height = int(expected.count(QLatin1Char('\n'))) + 1;
    const int width = int(expected.indexOf(QLatin1Char('\n')));
    QCOMPARE(drawn(width, height, {Shape::Line, {a.x(), a.y()}, {b.x(), b.y()}}), expected);
}

void TestShapes::lineReversedCoversSamePixels()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coordinate(0, 15);
    for (int n = 0; n < 300; ++n) {
        const Point a{coordinate(rng), coordinate(rng)};
        const Point b{coordinate(rng), coordinate(rng)};
        PixelBuffer forward(16, 16, kWhite);
        drawLine(forward, a, b, kPen, RasterOp::Copy);
        forward.setPixel(b.x, b.y, kPen);
        PixelBuffer backward(16, 16, kWhite);
        drawLine(backward, b, a, kPen, RasterOp::Copy);
        backward.setPixel(a.x, a.y, kPen);
        QVERIFY2(forward == backward, qPrintable(QStringLiteral("(%1,%2)-(%3,%4)").arg(a.x).arg(a.y).arg(b.x).arg(b.y)));
    }
}

void TestShapes::lineThroughExtremeCoordinates()
{
    PixelBuffer buffer(6, 6, kWhite);
    drawLine(buffer, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, kPen, RasterOp::Copy);
    QCOMPARE(toAscii(buffer), ascii({"#.....", ".#....", "..#...", "...#..", "....#.", ".....#"}));

    PixelBuffer other(6, 6, kWhite);
    drawLine(other, {INT_MAX, 2}, {INT_MIN, 3}, kPen, RasterOp::Copy);
    QCOMPARE(toAscii(other), ascii({"......", "......", "######", "......", "......", "......"}));
}

void TestShapes::boxOutline_data()
{
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<QString>("expected");

    const QString box25 = ascii({"........", "........", "..####..", "..#..#..", "..####..", "........", "........"});
    const char* directions[] = {"right-down", "left-up", "right-up", "left-down"};
    int i = 0;
    for (auto [a, b] : dragDirections({2, 2}, {6, 5}))
        QTest::newRow(directions[i++]) << QPoint(a.x, a.y) << QPoint(b.x, b.y) << box25;

    QTest::newRow("dragged left-up from (5,4) to (2,2)")
        << QPoint(5, 4) << QPoint(2, 2)
        << ascii({"........", "........", "..###...", "..###...", "........", "........", "........"});
    QTest::newRow("one row high") << QPoint(1, 1) << QPoint(6, 2)
                                  << ascii({"......", ".#####", "......"});
    QTest::newRow("one column wide") << QPoint(2, 4) << QPoint(1, 0)
                                     << ascii({".#.", ".#.", ".#.", ".#.", "...", "..."});
    QTest::newRow("one pixel") << QPoint(1, 1) << QPoint(2, 2) << ascii({"...", ".#.", "..."});
    QTest::newRow("left == right") << QPoint(3, 1) << QPoint(3, 5) << ascii({"......", "......", "......"});
    QTest::newRow("top == bottom") << QPoint(1, 2) << QPoint(5, 2) << ascii({"......", "......", "......"});
    QTest::newRow("corners outside") << QPoint(-2, -1) << QPoint(4, 3)
                                     << ascii({"...#..", "...#..", "####..", "......"});
}

void TestShapes::boxOutline()
{
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(QString, expected);
    const int height = int(expected.count(QLatin1Char('\n'))) + 1;
    const int width = int(expected.indexOf(QLatin1Char('\n')));
    QCOMPARE(drawn(width, height, {Shape::Box, {a.x(), a.y()}, {b.x(), b.y()}}), expected);
}

void TestShapes::ellipseKnownShapes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1x1") << QSize(1, 1) << ascii({"#"});
    QTest::newRow("1x3") << QSize(1, 3) << ascii({"#", "#", "#"});
    QTest::newRow("4x1") << QSize(4, 1) << ascii({"####"});
    QTest::newRow("2x2") << QSize(2, 2) << ascii({"##", "##"});
    QTest::newRow("3x3") << QSize(3, 3) << ascii({".#.", "#.#", ".#."});
    QTest::newRow("4x4") << QSize(4, 4) << ascii({".##.", "#..#", "#..#", ".##."});
    QTest::newRow("5x5") << QSize(5, 5) << ascii({".###.", "#...#", "#...#", "#...#", ".###."});
    QTest::newRow("6x3") << QSize(6, 3) << ascii({".####.", "#....#", ".####."});
    QTest::newRow("9x7") << QSize(9, 7)
                         << ascii({"..#####..", ".#.....#.", "#.......#", "#.......#", "#.......#", ".#.....#.",
                                   "..#####.."});
}

void TestShapes::ellipseKnownShapes()
{
    QFETCH(QSize, size);
    QFETCH(QString, expected);
    for (auto [a, b] : dragDirections({0, 0}, {size.width(), size.height()}))
        QCOMPARE(drawn(size.width(), size.height(), {Shape::Ellipse, a, b}), expected);
}

void TestShapes::ellipseSymmetricConfinedClosed()
{
    for (int w = 1; w <= 40; ++w) {
        for (int h = 1; h <= 40; ++h) {
            const QString name = QStringLiteral("%1x%2").arg(w).arg(h);
            // Drawn into a buffer with a one-pixel margin around the box.
            PixelBuffer buffer(w + 2, h + 2, kWhite);
            drawEllipseOutline(buffer, {1, 1}, {w + 1, h + 1}, kPen, RasterOp::Copy);
            bool touchesLeft = false, touchesTop = false, touchesRight = false, touchesBottom = false;
            for (int y = 0; y < h + 2; ++y) {
                for (int x = 0; x < w + 2; ++x) {
                    const bool on = buffer.pixel(x, y) == kPen;
                    const bool inside = x >= 1 && x <= w && y >= 1 && y <= h;
                    QVERIFY2(!on || inside, qPrintable(name + QStringLiteral(" outside the box")));
                    if (!on)
                        continue;
                    QVERIFY2(buffer.pixel(w + 1 - x, y) == kPen, qPrintable(name + QStringLiteral(" not mirrored in x")));
                    QVERIFY2(buffer.pixel(x, h + 1 - y) == kPen, qPrintable(name + QStringLiteral(" not mirrored in y")));
                    touchesLeft |= x == 1;
                    touchesRight |= x == w;
                    touchesTop |= y == 1;
                    touchesBottom |= y == h;
                    // Thin: no 2x2 block within a quarter once the ellipse has room
                    // for a hole. (A narrow, tall ellipse of even width has a cap two
                    // pixels wide and may need two rows of it: a block across the
                    // middle is fine.)
                    const bool acrossMiddle = (w % 2 == 0 && x == w / 2) || (h % 2 == 0 && y == h / 2);
                    if (w >= 3 && h >= 3 && !acrossMiddle && x + 1 < w + 2 && y + 1 < h + 2) {
                        const bool block = buffer.pixel(x + 1, y) == kPen && buffer.pixel(x, y + 1) == kPen
                            && buffer.pixel(x + 1, y + 1) == kPen;
                        QVERIFY2(!block, qPrintable(name + QStringLiteral(" has a 2x2 block")));
                    }
                }
            }
            QVERIFY2(touchesLeft && touchesTop && touchesRight && touchesBottom,
                     qPrintable(name + QStringLiteral(" does not touch every side")));

            // Closed: walking 4-connected from outside never reaches the centre.
            if (w >= 3 && h >= 3) {
                QList<QPoint> stack{{0, 0}};
                PixelBuffer seen(w + 2, h + 2, kBlack);
                while (!stack.isEmpty()) {
                    const QPoint p = stack.takeLast();
                    if (!buffer.contains(p.x(), p.y()) || seen.pixel(p.x(), p.y()) == kWhite
                        || buffer.pixel(p.x(), p.y()) == kPen)
                        continue;
                    seen.setPixel(p.x(), p.y(), kWhite);
                    stack << QPoint(p.x() + 1, p.y()) << QPoint(p.x() - 1, p.y()) << QPoint(p.x(), p.y() + 1)
                          << QPoint(p.x(), p.y() - 1);
                }
                QVERIFY2(seen.pixel((w + 1) / 2, (h + 1) / 2) == kBlack, qPrintable(name + QStringLiteral(" leaks")));
            }
        }
    }
}

void TestShapes::roundRectKnownShape()
{
    const QString expected = ascii({".########.", "#........#", "#........#", "#........#", "#........#",
                                    ".########."});
    for (auto [a, b] : dragDirections({0, 0}, {10, 6}))
        QCOMPARE(drawn(10, 6, {Shape::RoundRect, a, b, 3, 3}), expected);
    QCOMPARE(drawn(12, 8, {Shape::RoundRect, {0, 0}, {12, 8}, 8, 6}),
             ascii({"..########..", ".#........#.", "#..........#", "#..........#", "#..........#",
                    "#..........#", ".#........#.", "..########.."}));
}

void TestShapes::roundRectCornerSizes_data()
{
    QTest::addColumn<int>("cornerWidth");
    QTest::addColumn<int>("cornerHeight");
    QTest::addColumn<int>("sameAsWidth");
    QTest::addColumn<int>("sameAsHeight");
    // Negative sizes count by magnitude, oversized ones are cut to the box,
    // and a size of 0 or 1 in either direction leaves the corners square.
    QTest::newRow("negative") << -6 << -4 << 6 << 4;
    QTest::newRow("mixed signs") << 5 << -3 << 5 << 3;
    QTest::newRow("wider than the box") << 50 << 4 << 11 << 4;
    QTest::newRow("higher than the box") << 4 << -50 << 4 << 7;
    QTest::newRow("both too large") << 99 << 99 << 11 << 7;
    QTest::newRow("zero width") << 0 << 5 << 1 << 1;
    QTest::newRow("one high") << 6 << 1 << 1 << 1;
    QTest::newRow("zero both") << 0 << 0 << 1 << 1;
}

void TestShapes::roundRectCornerSizes()
{
    QFETCH(int, cornerWidth);
    QFETCH(int, cornerHeight);
    QFETCH(int, sameAsWidth);
    QFETCH(int, sameAsHeight);
    const QString actual = drawn(13, 9, {Shape::RoundRect, {1, 1}, {12, 8}, cornerWidth, cornerHeight});
    QCOMPARE(actual, drawn(13, 9, {Shape::RoundRect, {1, 1}, {12, 8}, sameAsWidth, sameAsHeight}));
    if (sameAsWidth == 1)
        QCOMPARE(actual, drawn(13, 9, {Shape::Box, {1, 1}, {12, 8}}));
    if (sameAsWidth == 11 && sameAsHeight == 7)
        QCOMPARE(actual, drawn(13, 9, {Shape::Ellipse, {1, 1}, {12, 8}}));
}

void TestShapes::notXorColours_data()
{
    QTest::addColumn<int>("shape");
    QTest::newRow("line") << int(Shape::Line);
    QTest::newRow("box") << int(Shape::Box);
    QTest::newRow("ellipse") << int(Shape::Ellipse);
    QTest::newRow("round rect") << int(Shape::RoundRect);
}

void TestShapes::notXorColours()
{
    QFETCH(int, shape);
    const Figure figure{Shape(shape), {1, 1}, {11, 8}, 4, 4};
    constexpr Color blue = 0xFF0000;

    // Left half black, right half white.
    PixelBuffer buffer(12, 9, kWhite);
    buffer.fillRect(0, 0, 6, 9, kBlack);
    figure.draw(buffer, blue, RasterOp::NotXor);
    PixelBuffer reference(12, 9, kWhite);
    figure.draw(reference, blue, RasterOp::Copy);

    int onBlack = 0;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool drawnHere = reference.pixel(x, y) == blue;
            const Color background = x < 6 ? kBlack : kWhite;
            if (!drawnHere)
                QCOMPARE(buffer.pixel(x, y), background);
            else if (background == kWhite)
                QCOMPARE(buffer.pixel(x, y), blue);
            else {
                QCOMPARE(buffer.pixel(x, y), Color(0x00FFFF));
                ++onBlack;
            }
        }
    }
    QVERIFY(onBlack > 0);
}

void TestShapes::everyPixelChangedOnce()
{
    // On white, NOT-XOR gives exactly the pen colour; a pixel changed twice
    // would turn white again and differ from the copy drawing.
    std::mt19937 rng(11);
    for (int n = 0; n < 400; ++n) {
        const Figure figure = randomFigure(rng, 20);
        PixelBuffer copied(20, 20, kWhite);
        figure.draw(copied, kPen, RasterOp::Copy);
        PixelBuffer xored(20, 20, kWhite);
        figure.draw(xored, kPen, RasterOp::NotXor);
        QVERIFY2(copied == xored, qPrintable(QStringLiteral("shape %1 (%2,%3)-(%4,%5) corners %6x%7")
                                                 .arg(int(figure.shape))
                                                 .arg(figure.a.x)
                                                 .arg(figure.a.y)
                                                 .arg(figure.b.x)
                                                 .arg(figure.b.y)
                                                 .arg(figure.cornerWidth)
                                                 .arg(figure.cornerHeight)));
    }
}

void TestShapes::notXorTwiceRestores()
{
    std::mt19937 rng(2024);
    const PixelBuffer original = randomBuffer(rng, 24, 24);
    std::uniform_int_distribution<Color> colour(0, 0xFFFFFF);
    for (int n = 0; n < 300; ++n) {
        const Figure base = randomFigure(rng, 24);
        const Color pen = colour(rng);
        for (auto [a, b] : dragDirections(base.a, base.b)) {
            Figure figure = base;
            figure.a = a;
            figure.b = b;
            PixelBuffer buffer = original;
            figure.draw(buffer, pen, RasterOp::NotXor);
            figure.draw(buffer, pen, RasterOp::NotXor);
            QVERIFY2(buffer == original, qPrintable(QStringLiteral("shape %1 (%2,%3)-(%4,%5)")
                                                        .arg(int(figure.shape))
                                                        .arg(a.x)
                                                        .arg(a.y)
                                                        .arg(b.x)
                                                        .arg(b.y)));
        }
    }
}

void TestShapes::clippingMatchesLargerBuffer()
{
    // A shape reaching past the edges of a small buffer changes exactly the
    // pixels it changes in the same place of a buffer large enough to hold it.
    constexpr int offset = 40;
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coordinate(-30, 40);
    std::uniform_int_distribution<int> corner(-30, 30);
    std::uniform_int_distribution<int> shape(0, 3);
    for (int n = 0; n < 300; ++n) {
        const Figure figure{Shape(shape(rng)), {coordinate(rng), coordinate(rng)}, {coordinate(rng), coordinate(rng)},
                            corner(rng), corner(rng)};
        PixelBuffer small(12, 10, kWhite);
        figure.draw(small, kPen, RasterOp::NotXor);

        Figure shifted = figure;
        shifted.a = {figure.a.x + offset, figure.a.y + offset};
        shifted.b = {figure.b.x + offset, figure.b.y + offset};
        PixelBuffer large(120, 120, kWhite);
        shifted.draw(large, kPen, RasterOp::NotXor);

        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x)
                QCOMPARE(small.pixel(x, y), large.pixel(x + offset, y + offset));
    }
}

void TestShapes::farOutsideDrawsNothingAndReturns()
{
    const PixelBuffer blank(8, 8, kWhite);
    const QList<Figure> figures = {
        {Shape::Line, {-100000, 3}, {-90000, 900000}},
        {Shape::Line, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX - 5}},
        {Shape::Box, {INT_MIN, INT_MIN}, {-1, -1}},
        {Shape::Box, {8, 0}, {INT_MAX, INT_MAX}},
        {Shape::Ellipse, {-5000, -5000}, {-10, 9000}},
        {Shape::RoundRect, {20, 20}, {4000, 4000}, 300, 300},
        {Shape::RoundRect, {INT_MIN, 0}, {-1, INT_MAX}, INT_MIN, INT_MIN},
    };
    for (const Figure& figure : figures) {
        PixelBuffer buffer = blank;
        figure.draw(buffer, kPen, RasterOp::NotXor);
        QCOMPARE(buffer, blank);
    }

    // A huge box around the buffer: its edges lie outside, nothing inside changes;
    // one that ends inside shows its visible corner.
    PixelBuffer buffer = blank;
    drawBoxOutline(buffer, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, kPen, RasterOp::Copy);
    QCOMPARE(buffer, blank);
    drawBoxOutline(buffer, {INT_MIN, INT_MIN}, {3, 2}, kPen, RasterOp::Copy);
    QCOMPARE(toAscii(buffer), ascii({"..#.....", "###.....", "........", "........", "........", "........",
                                     "........", "........"}));
}

void TestShapes::wideEllipseSeenThroughSmallBuffer()
{
    // 40008 columns wide: near its middle column the ellipse runs flat along
    // the box's first and last row, drawn exactly once.
    const Figure figure{Shape::Ellipse, {-20000, 0}, {20008, 6}};
    const QString expected = ascii({"########", "........", "........", "........", "........", "########"});
    QCOMPARE(drawn(8, 6, figure), expected);

    PixelBuffer buffer(8, 6, kWhite);
    figure.draw(buffer, kPen, RasterOp::NotXor);
    QCOMPARE(toAscii(buffer), expected);
    figure.draw(buffer, kPen, RasterOp::NotXor);
    QCOMPARE(buffer, PixelBuffer(8, 6, kWhite));
}

QTEST_APPLESS_MAIN(TestShapes)
#include "tst_shapes.moc"
