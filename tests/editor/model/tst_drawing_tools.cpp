#include "editor/model/drawing_tools.h"
#include "editor/model/tool_codes.h"
#include "support/editor_fixture.h"

#include <QtTest>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::MouseState)
Q_DECLARE_METATYPE(pimoko::PixelFormat)

namespace {

constexpr MouseState L = MouseState::Left;
constexpr MouseState R = MouseState::Right;


// The set of document pixels that differ from white, as "x,y" strings.
QSet<QString> nonWhite(const PixelBuffer& document)
{
    QSet<QString> result;
    for (int y = 0; y < document.height(); ++y)
        for (int x = 0; x < document.width(); ++x)
            if (document.pixel(x, y) != kWhite)
                result.insert(QStringLiteral("%1,%2").arg(x).arg(y));
    return result;
}

QSet<QString> boxOutline(int left, int top, int right, int bottom)
{
    QSet<QString> result;
    for (int x = left; x <= right; ++x)
        for (int y = top; y <= bottom; ++y)
            if (x == left || x == right || y == top || y == bottom)
                result.insert(QStringLiteral("%1,%2").arg(x).arg(y));
    return result;
}


} // namespace

// The drawing tools on the model: which pixels each mouse sequence changes.
class DrawingToolsTest : public QObject {
    Q_OBJECT
private slots:
    void rectangleDrags_data();
    void rectangleDrags();
    void notXorOverBlack();
    void extentIsSetByLastMove();
    void pressAndReleaseWithoutMoveDrawsNothing();
    void releaseWithoutPressMarksModified();
    void modifiersAndOtherButtonsDrawNothing_data();
    void modifiersAndOtherButtonsDrawNothing();
    void leftReleaseWhileRightHeldDrawsSecondShape();
    void penPaintsOnlyReportedCells();
    void penFoldsFiveViewPixelsOntoColumnZero_data();
    void penFoldsFiveViewPixelsOntoColumnZero();
    void penOutsideDocumentDoesNothing();
    void penCellShowsStoredColour();
    void fillStopsAtDiagonalLine();
    void fillWithSameColourChangesNothing();
    void pickerReadsTheView_data();
    void pickerReadsTheView();
    void doubleClickThenDragReusesPreviousAnchor();
    void viewShowsThinOutlineUntilRelease();
    void lineLeavesOutItsEndPoint();
    void notXorOnWhiteDrawsWhatCopyDraws();
    void dragLeavesNoTrailOnReducedDepth_data();
    void dragLeavesNoTrailOnReducedDepth();
    void statusText_data();
    void statusText();
};

void DrawingToolsTest::rectangleDrags_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("covered");  // left, top, right, bottom inclusive via QRect(QPoint, QPoint)
    QTest::newRow("right and down") << QPoint(2, 2) << QPoint(5, 4) << QRect(QPoint(2, 2), QPoint(5, 4));
    QTest::newRow("left and up") << QPoint(5, 4) << QPoint(1, 1) << QRect(QPoint(2, 2), QPoint(4, 3));
    QTest::newRow("right and up") << QPoint(2, 6) << QPoint(6, 2) << QRect(QPoint(2, 3), QPoint(6, 5));
}

void DrawingToolsTest::rectangleDrags()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, covered);
    Editor e;
    e.tool = ToolCode::Rectangle;
    e.drag(L, cell(from.x(), from.y()), cell(to.x(), to.y()));
    QCOMPARE(nonWhite(e.canvas.actualSize()), boxOutline(covered.left(), covered.top(), covered.right(), covered.bottom()));
    QCOMPARE(e.canvas.actualSize().pixel(covered.left(), covered.top()), e.colors.left);
    QVERIFY(e.canvas.document().ImageModified);
    // After the release the magnified view shows the shape's cells.
    QCOMPARE(e.canvas.magnifiedView.pixel(6 * covered.left() + 3, 6 * covered.top() + 3), e.colors.left);
}

void DrawingToolsTest::notXorOverBlack()
{
    Editor e;
    e.canvas.document().strokePixels().fillRect(0, 0, 4, 32, kBlack);
    e.tool = ToolCode::Rectangle;
    e.drag(L, cell(2, 2), cell(9, 9));
    QCOMPARE(e.canvas.actualSize().pixel(2, 5), Color(0x00FFFF));
    QCOMPARE(e.canvas.actualSize().pixel(6, 2), Color(0xFF0000));
    QCOMPARE(e.canvas.actualSize().pixel(3, 3), kBlack);
}

void DrawingToolsTest::extentIsSetByLastMove()
{
    Editor e;
    e.tool = ToolCode::Rectangle;
    e.press(L, cell(2, 2));
    e.move(L, cell(8, 8));
    e.move(L, cell(5, 4));
    e.release({}, cell(20, 20));
    QCOMPARE(nonWhite(e.canvas.actualSize()), boxOutline(2, 2, 5, 4));
}

void DrawingToolsTest::pressAndReleaseWithoutMoveDrawsNothing()
{
    for (ToolCode tool : {ToolCode::Rectangle, ToolCode::Ellipse, ToolCode::RoundRectangle, ToolCode::Line}) {
        Editor e;
        e.tool = tool;
        e.press(L, cell(3, 3));
        e.release({}, cell(3, 3));
        QVERIFY(nonWhite(e.canvas.actualSize()).isEmpty());
        QVERIFY(e.canvas.document().ImageModified);
    }
}

void DrawingToolsTest::releaseWithoutPressMarksModified()
{
    // As a right release that began beside the view: the views are rebuilt
    // from whatever the document holds.
    Editor e;
    e.release({}, cell(3, 3));
    QVERIFY(e.canvas.document().ImageModified);
}

void DrawingToolsTest::modifiersAndOtherButtonsDrawNothing_data()
{
    QTest::addColumn<MouseState>("state");
    QTest::newRow("shift") << (L | MouseState::Shift);
    QTest::newRow("ctrl") << (L | MouseState::Ctrl);
    QTest::newRow("alt") << (R | MouseState::Alt);
    QTest::newRow("middle") << MouseState::Middle;
    QTest::newRow("double click") << (L | MouseState::DoubleClick);
    QTest::newRow("both buttons") << (L | R);
}

void DrawingToolsTest::modifiersAndOtherButtonsDrawNothing()
{
    QFETCH(MouseState, state);
    for (ToolCode tool : {ToolCode::Pen, ToolCode::Fill, ToolCode::Rectangle, ToolCode::ColorPicker}) {
        Editor e;
        e.tool = tool;
        e.press(state, cell(3, 3));
        e.move(state, cell(6, 6));
        e.release({}, cell(6, 6));
        QVERIFY(nonWhite(e.canvas.actualSize()).isEmpty());
        QVERIFY(e.canvas.document().ImageModified);
        QCOMPARE(e.colors.left, Color(0xFF0000));
        QCOMPARE(e.colors.right, Color(0x0000FF));
    }
}

void DrawingToolsTest::leftReleaseWhileRightHeldDrawsSecondShape()
{
    Editor e;
    e.tool = ToolCode::Rectangle;
    e.press(L, cell(2, 2));
    e.move(L, cell(5, 4));
    // The right button goes down too; then the left one is released at (7, 7).
    e.release(R, cell(7, 7));
    QSet<QString> expected = boxOutline(2, 2, 5, 4);
    expected.unite(boxOutline(2, 2, 6, 6));
    QCOMPARE(nonWhite(e.canvas.actualSize()), expected);
    QCOMPARE(e.canvas.actualSize().pixel(6, 6), e.colors.right);
    QCOMPARE(e.canvas.actualSize().pixel(2, 6), e.colors.right);
}

void DrawingToolsTest::penPaintsOnlyReportedCells()
{
    Editor e;
    e.press(L, cell(1, 1));
    e.move(L, cell(5, 1));
    e.move(R, cell(9, 1));
    e.release({}, cell(9, 1));
    QCOMPARE(nonWhite(e.canvas.actualSize()), (QSet<QString>{"1,1", "5,1", "9,1"}));
    QCOMPARE(e.canvas.actualSize().pixel(9, 1), e.colors.right);
}

void DrawingToolsTest::penFoldsFiveViewPixelsOntoColumnZero_data()
{
    QTest::addColumn<int>("viewX");
    QTest::addColumn<bool>("paints");
    QTest::newRow("-1") << -1 << true;
    QTest::newRow("-5") << -5 << true;
    QTest::newRow("-6") << -6 << false;
    QTest::newRow("-40") << -40 << false;
}

void DrawingToolsTest::penFoldsFiveViewPixelsOntoColumnZero()
{
    QFETCH(int, viewX);
    QFETCH(bool, paints);
    Editor e;
    e.press(L, cell(3, 3));
    const Point pixel = e.tools.mouseMove(e.canvas, e.tool, L, {viewX, 10}, e.colors);
    QCOMPARE(pixel.x, paints ? 0 : viewX / 6);
    QCOMPARE(e.canvas.actualSize().pixel(0, 1) == e.colors.left, paints);
}

void DrawingToolsTest::penOutsideDocumentDoesNothing()
{
    Editor e;
    e.press(L, cell(3, 3));
    const PixelBuffer view = e.canvas.magnifiedView;
    e.move(L, {500, 500});
    e.move(L, {-100, 7});
    QVERIFY(e.canvas.magnifiedView == view);
    QCOMPARE(nonWhite(e.canvas.actualSize()), QSet<QString>{"3,3"});
}

void DrawingToolsTest::penCellShowsStoredColour()
{
    // A black-and-white document stores blue as black; its cell shows that.
    Editor e;
    e.canvas.document().strokePixels().convertTo(PixelFormat::indexed(1, {kBlack, kWhite}));
    e.press(L, cell(3, 3));
    QCOMPARE(e.canvas.actualSize().pixel(3, 3), kBlack);
    QCOMPARE(e.canvas.magnifiedView.pixel(6 * 3 + 3, 6 * 3 + 3), kBlack);
}

void DrawingToolsTest::fillStopsAtDiagonalLine()
{
    Editor e;
    // A diagonal from (0, 9) to (9, 0): pixels touch only at their corners.
    for (int i = 0; i < 10; ++i)
        e.canvas.document().strokePixels().setPixel(i, 9 - i, kBlack);
    e.tool = ToolCode::Fill;
    e.press(L, cell(1, 1));
    e.release({}, cell(1, 1));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const Color expected = x + y < 9 ? e.colors.left : x + y == 9 ? kBlack : kWhite;
            QCOMPARE(e.canvas.actualSize().pixel(x, y), expected);
        }
}

void DrawingToolsTest::fillWithSameColourChangesNothing()
{
    Editor e;
    e.colors.left = kWhite;
    e.tool = ToolCode::Fill;
    e.press(L, cell(4, 4));
    QVERIFY(nonWhite(e.canvas.actualSize()).isEmpty());
}

void DrawingToolsTest::pickerReadsTheView_data()
{
    QTest::addColumn<MouseState>("state");
    QTest::addColumn<QPoint>("viewPoint");
    QTest::addColumn<Color>("expectedLeft");
    QTest::addColumn<Color>("expectedRight");
    QTest::newRow("inside cell, left") << L << QPoint(21, 21) << Color(0x00FF00) << Color(0x0000FF);
    QTest::newRow("inside cell, right") << R << QPoint(22, 23) << Color(0xFF0000) << Color(0x00FF00);
    QTest::newRow("grid line") << L << QPoint(18, 21) << kBlack << Color(0x0000FF);
    QTest::newRow("white cell") << L << QPoint(1, 1) << kWhite << Color(0x0000FF);
}

void DrawingToolsTest::pickerReadsTheView()
{
    QFETCH(MouseState, state);
    QFETCH(QPoint, viewPoint);
    QFETCH(Color, expectedLeft);
    QFETCH(Color, expectedRight);
    Editor e;
    e.canvas.document().strokePixels().setPixel(3, 3, 0x00FF00);
    e.canvas.rebuildViews();
    e.tool = ToolCode::ColorPicker;
    e.press(state, {viewPoint.x(), viewPoint.y()});
    e.release({}, {viewPoint.x(), viewPoint.y()});
    QCOMPARE(e.colors.left, expectedLeft);
    QCOMPARE(e.colors.right, expectedRight);
}

void DrawingToolsTest::doubleClickThenDragReusesPreviousAnchor()
{
    Editor e;
    e.tool = ToolCode::Rectangle;
    e.drag(L, cell(2, 2), cell(5, 4));
    // The second press of a double-click keeps the old anchor and end corner:
    // the first move removes the finished rectangle again.
    e.press(L | MouseState::DoubleClick, cell(10, 10));
    e.move(L, cell(2, 2));
    e.release({}, cell(2, 2));
    // Left with the box from the old anchor (2, 2) to (3, 3): one cell.
    QCOMPARE(nonWhite(e.canvas.actualSize()), QSet<QString>{"2,2"});
}

void DrawingToolsTest::viewShowsThinOutlineUntilRelease()
{
    Editor e;
    e.tool = ToolCode::Rectangle;
    e.press(L, cell(2, 2));
    e.move(L, cell(5, 4));
    // The view's outline runs at six times the corners (12, 12)-(36, 30).
    QCOMPARE(e.canvas.magnifiedView.pixel(12, 20), combine(kBlack, e.colors.left, RasterOp::NotXor));
    QCOMPARE(e.canvas.magnifiedView.pixel(20, 12), combine(kBlack, e.colors.left, RasterOp::NotXor));
    QCOMPARE(e.canvas.magnifiedView.pixel(15, 15), kWhite);
    QCOMPARE(e.canvas.magnifiedView.pixel(35, 20), combine(kWhite, e.colors.left, RasterOp::NotXor));
    e.release({}, cell(5, 4));
    QCOMPARE(e.canvas.magnifiedView.pixel(15, 15), e.colors.left);
    QCOMPARE(e.canvas.magnifiedView.pixel(12, 20), kBlack);
}

void DrawingToolsTest::lineLeavesOutItsEndPoint()
{
    Editor e;
    e.tool = ToolCode::Line;
    e.drag(L, cell(0, 0), cell(3, 0));
    // From (0, 0) towards (4, 1): the end point itself is not drawn.
    const QSet<QString> drawn = nonWhite(e.canvas.actualSize());
    QVERIFY(drawn.contains("0,0"));
    QVERIFY(!drawn.contains("4,1"));
    QCOMPARE(drawn.size(), 4);
}

void DrawingToolsTest::notXorOnWhiteDrawsWhatCopyDraws()
{
    // Every pixel of a shape changes exactly once, in the document and in
    // the view, so that drawing the outline again erases it.
    QRandomGenerator random(20261207);
    for (ToolCode tool : {ToolCode::Line, ToolCode::Rectangle, ToolCode::Ellipse, ToolCode::RoundRectangle}) {
        for (int run = 0; run < 150; ++run) {
            const Point a{random.bounded(-3, 36), random.bounded(-3, 36)};
            const Point b{random.bounded(-3, 36), random.bounded(-3, 36)};
            const Color k = random.bounded(0x1000000);
            Canvas copied, xored;
            copied.magnifiedView.fill(kWhite);
            xored.magnifiedView.fill(kWhite);
            DrawingTools::DrawShape(copied, tool, a, b, combine(kWhite, k, RasterOp::NotXor), RasterOp::Copy);
            DrawingTools::DrawShape(xored, tool, a, b, k, RasterOp::NotXor);
            const QString name = QStringLiteral("tool %1 run %2").arg(int(tool)).arg(run);
            QVERIFY2(xored.actualSize() == copied.actualSize(), qPrintable(name));
            QVERIFY2(xored.magnifiedView == copied.magnifiedView, qPrintable(name));
        }
    }
}

void DrawingToolsTest::dragLeavesNoTrailOnReducedDepth_data()
{
    std::vector<Color> grey256;
    for (int i = 0; i < 256; ++i)
        grey256.push_back(rgb(i, 255 - i, (i * 37) & 0xFF));
    QTest::addColumn<PixelFormat>("format");
    QTest::newRow("1 bit") << PixelFormat::indexed(1, {kBlack, kWhite});
    QTest::newRow("4 bits") << PixelFormat::indexed(4, {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                                        0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                                        0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF});
    QTest::newRow("8 bits") << PixelFormat::indexed(8, grey256);
    QTest::newRow("16 bits 5-5-5") << PixelFormat::rgb555();
    QTest::newRow("16 bits 5-6-5") << PixelFormat::rgb565();
}

void DrawingToolsTest::dragLeavesNoTrailOnReducedDepth()
{
    // Each move erases the last outline by drawing it again: on a document
    // that cannot hold every colour, only the last outline may remain.
    QFETCH(PixelFormat, format);
    QRandomGenerator random(7);
    for (ToolCode tool : {ToolCode::Rectangle, ToolCode::Ellipse, ToolCode::Line, ToolCode::RoundRectangle}) {
        for (int run = 0; run < 20; ++run) {
            Editor e;
            e.tool = tool;
            e.colors.left = random.bounded(0x1000000);
            PixelBuffer image(32, 32, kWhite, format);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    image.setPixel(x, y, random.bounded(0x1000000));
            e.canvas.document().open(image, {});
            const Point from = cell(random.bounded(32), random.bounded(32));
            e.press(L, from);
            Point to = from;
            for (int step = 0; step < 12; ++step) {
                to = cell(random.bounded(32), random.bounded(32));
                e.move(L, to);
            }
            e.release({}, to);
            // The pixels of the last outline, found on a scratch copy.
            PixelBuffer figure(32, 32, kWhite);
            Canvas scratch;
            scratch.document().open(figure, {});
            DrawingTools::DrawShape(scratch, tool, documentPixelAt(from),
                                    {documentPixelAt(to).x + 1, documentPixelAt(to).y + 1}, kBlack, RasterOp::Copy);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (scratch.actualSize().pixel(x, y) == kWhite)
                        QVERIFY2(e.canvas.actualSize().pixel(x, y) == image.pixel(x, y),
                                 qPrintable(QStringLiteral("tool %1 run %2 pixel %3,%4").arg(int(tool)).arg(run).arg(x).arg(y)));
            QCOMPARE(e.canvas.actualSize().format(), format);
        }
    }
}

void DrawingToolsTest::statusText_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QString>("text");
    QTest::newRow("origin") << QPoint(0, 0) << " X 0  Y 0";
    QTest::newRow("negative") << QPoint(-1, 12) << " X -1  Y 12";
}

void DrawingToolsTest::statusText()
{
    QFETCH(QPoint, pixel);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(DrawingTools::statusText({pixel.x(), pixel.y()})), text);
}

QTEST_APPLESS_MAIN(DrawingToolsTest)
#include "tst_drawing_tools.moc"
