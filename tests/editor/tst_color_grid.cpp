#include "editor/color_grid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace pimoko;

namespace {

Color colorAt(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return rgb(qRed(p), qGreen(p), qBlue(p));
}

// A move with the given buttons held; QTest's own move does not say which
// buttons are down.
void moveWith(QWidget* widget, QPoint pos, Qt::MouseButtons held)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(pos), widget->mapToGlobal(QPointF(pos)), Qt::NoButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void sendButton(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// The palette as the main window holds it: a child at its layout size, in the
// 12-pixel proportional Gothic when the machine has it.
struct Fixture {
    QWidget window;
    TColorGrid* grid;

    Fixture()
        : grid(new TColorGrid(&window))
    {
        window.resize(120, 260);
        grid->setGeometry(8, 8, 60, 200);
        QFont font = grid->font();
        if (QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
            font.setFamilies({QStringLiteral("IPAPGothic")});
        font.setPixelSize(12);
        grid->setFont(font);
        window.show();
    }

    QImage image() const { return grid->grab().toImage(); }
    QPoint centre(int index) const { return grid->cellRect(index).center(); }
};

// The colours the main window's mouse handlers would copy into the colour
// boxes: the left box on left-button events, the right box on right-button
// events, read from the palette at the moment the handler runs.
struct OwnerBoxes {
    Color left = 0xFF0000;
    Color right = 0x0000FF;

    explicit OwnerBoxes(TColorGrid* grid)
    {
        const auto copy = [this, grid](Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                left = grid->ForegroundRGB();
            else if (button == Qt::RightButton)
                right = grid->BackgroundRGB();
        };
        QObject::connect(grid, &TColorGrid::mouseDown, grid, [copy](Qt::MouseButton b) { copy(b); });
        QObject::connect(grid, &TColorGrid::mouseUp, grid, [copy](Qt::MouseButton b) { copy(b); });
    }
};

// How the cell should look with `text` as its mark: the cell colour with the
// text centred on one line in the control's font, unsmoothed.
QImage referenceCell(const Fixture& f, int index, const QString& text, Color textColor)
{
    const QRect cell = f.grid->cellRect(index);
    const Color fill = TColorGrid::PaletteColors()[std::size_t(index)];
    QImage image(cell.size(), QImage::Format_RGB32);
    image.fill(QColor(redOf(fill), greenOf(fill), blueOf(fill)));
    QPainter painter(&image);
    QFont font = f.grid->font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    painter.setPen(QColor(redOf(textColor), greenOf(textColor), blueOf(textColor)));
    painter.drawText(QRect(QPoint(0, 0), cell.size()), Qt::AlignCenter | Qt::TextDontClip, text);
    return image;
}

// Compares the area inside the bevel of a cell with the reference picture.
// Every pixel there is either the cell colour or the text colour, and there
// is some text.
void verifyMark(const Fixture& f, int index, const QString& text, Color textColor)
{
    const QImage actual = f.image();
    const QImage expected = referenceCell(f, index, text, textColor);
    const QRect cell = f.grid->cellRect(index);
    const Color fill = TColorGrid::PaletteColors()[std::size_t(index)];
    int textPixels = 0;
    for (int y = 3; y < cell.height() - 3; ++y) {
        for (int x = 3; x < cell.width() - 3; ++x) {
            const Color seen = colorAt(actual, cell.x() + x, cell.y() + y);
            QVERIFY2(seen == fill || seen == textColor, qPrintable(QString::number(seen, 16)));
            textPixels += seen == textColor ? 1 : 0;
            QCOMPARE(seen, colorAt(expected, x, y));
        }
    }
    QVERIFY2(textPixels > 10, qPrintable(text));
}

int countColor(const QImage& image, const QRect& area, Color c)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += colorAt(image, x, y) == c ? 1 : 0;
    return n;
}

} // namespace

class TestColorGrid : public QObject {
    Q_OBJECT

private slots:
    void startsWithBothMarksOnBlackAsFB();
    void cellsShowTheClassicColoursRowByRow_data();
    void cellsShowTheClassicColoursRowByRow();
    void cellGeometryAt60x200();
    void resizeTrimsToWholeCells_data();
    void resizeTrimsToWholeCells();
    void cellAtClampsToTheNearestEdgeCell_data();
    void cellAtClampsToTheNearestEdgeCell();
    void cellAtFollowsATrimmedSize();
    void bevelUsesThePaletteColours_data();
    void bevelUsesThePaletteColours();
    void flatPaletteFallsBackToClassicGrey();
    void markTextContrastsWithItsCell_data();
    void markTextContrastsWithItsCell();
    void leftClickOnRedMovesFGAndOwnerSeesOldThenNewColour();
    void leftDragOutsideEndsOnTheNearestEdgeCell_data();
    void leftDragOutsideEndsOnTheNearestEdgeCell();
    void rightPressOnTheFGCellShowsFB();
    void rightClickSignalsInOrder();
    void changedOnlyForRealChanges();
    void outOfRangeIndicesAreIgnored();
    void middleButtonChangesNothing();
    void laterButtonTakesOverTheDrag();
    void releasingTheLastButtonFirstEndsTheDrag();
    void moveWithoutTheButtonStopsFollowing();
    void doubleClickCountsEachPressOnce();
    void loneDoubleClickActsAsAPress();
    void takesNoFocusAndOpensNoContextMenu();
    void screenshotForReview();
};

void TestColorGrid::startsWithBothMarksOnBlackAsFB()
{
    Fixture f;
    QCOMPARE(f.grid->ForegroundIndex(), 0);
    QCOMPARE(f.grid->BackgroundIndex(), 0);
    QCOMPARE(f.grid->ForegroundRGB(), Color(0x000000));
    QCOMPARE(f.grid->BackgroundRGB(), Color(0x000000));
    verifyMark(f, 0, QStringLiteral("FB"), 0xFFFFFF);
}

void TestColorGrid::cellsShowTheClassicColoursRowByRow_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<Color>("color");
    const Color colors[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                            0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        QTest::addRow("cell %d", i) << i << colors[i];
}

void TestColorGrid::cellsShowTheClassicColoursRowByRow()
{
    QFETCH(int, index);
    QFETCH(Color, color);
    Fixture f;
    QCOMPARE(TColorGrid::PaletteColors()[std::size_t(index)], color);
    // Top-left and bottom-right pixels of the fill, clear of any mark.
    const int x = (index % 2) * 30;
    const int y = (index / 2) * 25;
    const QImage image = f.image();
    QCOMPARE(colorAt(image, x + 3, y + 3), color);
    QCOMPARE(colorAt(image, x + 26, y + 21), color);
}

void TestColorGrid::cellGeometryAt60x200()
{
    Fixture f;
    QCOMPARE(f.grid->size(), QSize(60, 200));
    QCOMPARE(f.grid->cellWidth(), 30);
    QCOMPARE(f.grid->cellHeight(), 25);
    QCOMPARE(f.grid->cellRect(0), QRect(0, 0, 30, 25));
    QCOMPARE(f.grid->cellRect(9), QRect(30, 100, 30, 25));
    QCOMPARE(f.grid->cellRect(14), QRect(0, 175, 30, 25));
    QVERIFY(f.grid->cellRect(16).isEmpty());
    QVERIFY(f.grid->cellRect(-1).isEmpty());
}

void TestColorGrid::resizeTrimsToWholeCells_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("trimmed");
    QTest::addColumn<QSize>("cell");
    QTest::newRow("layout size") << QSize(60, 200) << QSize(60, 200) << QSize(30, 25);
    QTest::newRow("one over") << QSize(61, 201) << QSize(60, 200) << QSize(30, 25);
    QTest::newRow("just short") << QSize(79, 215) << QSize(78, 208) << QSize(39, 26);
    QTest::newRow("small") << QSize(21, 47) << QSize(20, 40) << QSize(10, 5);
}

void TestColorGrid::resizeTrimsToWholeCells()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, trimmed);
    QFETCH(QSize, cell);
    Fixture f;
    f.grid->resize(requested);
    QCOMPARE(f.grid->size(), trimmed);
    QCOMPARE(f.grid->cellWidth(), cell.width());
    QCOMPARE(f.grid->cellHeight(), cell.height());
    QCOMPARE(f.grid->cellRect(15), QRect(cell.width(), 7 * cell.height(), cell.width(), cell.height()));
}

void TestColorGrid::cellAtClampsToTheNearestEdgeCell_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("cell");
    QTest::newRow("top-left pixel") << QPoint(0, 0) << 0;
    QTest::newRow("last pixel of cell 0") << QPoint(29, 24) << 0;
    QTest::newRow("first pixel of cell 1") << QPoint(30, 0) << 1;
    QTest::newRow("first pixel of cell 3") << QPoint(30, 25) << 3;
    QTest::newRow("inside cell 9") << QPoint(45, 112) << 9;
    QTest::newRow("bottom-right pixel") << QPoint(59, 199) << 15;
    QTest::newRow("left of row 2") << QPoint(-40, 60) << 4;
    QTest::newRow("right of row 2") << QPoint(200, 60) << 5;
    QTest::newRow("just right") << QPoint(60, 60) << 5;
    QTest::newRow("above left column") << QPoint(10, -30) << 0;
    QTest::newRow("above right column") << QPoint(50, -1) << 1;
    QTest::newRow("below left column") << QPoint(15, 500) << 14;
    QTest::newRow("just below") << QPoint(45, 200) << 15;
    QTest::newRow("far above-left") << QPoint(-1000, -1000) << 0;
    QTest::newRow("far below-right") << QPoint(1000, 1000) << 15;
}

void TestColorGrid::cellAtClampsToTheNearestEdgeCell()
{
    QFETCH(QPoint, point);
    QFETCH(int, cell);
    Fixture f;
    QCOMPARE(f.grid->CellAt(point.x(), point.y()), cell);
}

void TestColorGrid::cellAtFollowsATrimmedSize()
{
    Fixture f;
    f.grid->resize(79, 215); // trimmed to 78 x 208, cells 39 x 26
    QCOMPARE(f.grid->CellAt(38, 25), 0);
    QCOMPARE(f.grid->CellAt(39, 26), 3);
    QCOMPARE(f.grid->CellAt(78, 100), 7);
    QCOMPARE(f.grid->CellAt(0, 207), 14);
    QCOMPARE(f.grid->CellAt(77, 214), 15);
}

void TestColorGrid::bevelUsesThePaletteColours_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QString>("role");
    // Positions inside a 30 x 25 cell.
    QTest::newRow("outline top-left") << QPoint(0, 0) << "face";
    QTest::newRow("outline top-right") << QPoint(29, 0) << "face";
    QTest::newRow("outline bottom-left") << QPoint(0, 24) << "face";
    QTest::newRow("outline bottom-right") << QPoint(29, 24) << "face";
    QTest::newRow("outline left") << QPoint(0, 12) << "face";
    QTest::newRow("outline bottom") << QPoint(15, 24) << "face";
    for (int ring = 1; ring <= 2; ++ring) {
        const int r = 29 - ring;
        const int b = 24 - ring;
        QTest::addRow("ring %d top-left", ring) << QPoint(ring, ring) << "shadow";
        QTest::addRow("ring %d top", ring) << QPoint(15, ring) << "shadow";
        QTest::addRow("ring %d top before corner", ring) << QPoint(r - 1, ring) << "shadow";
        QTest::addRow("ring %d left", ring) << QPoint(ring, 12) << "shadow";
        QTest::addRow("ring %d left above corner", ring) << QPoint(ring, b - 1) << "shadow";
        QTest::addRow("ring %d top-right", ring) << QPoint(r, ring) << "highlight";
        QTest::addRow("ring %d bottom-left", ring) << QPoint(ring, b) << "highlight";
        QTest::addRow("ring %d bottom-right", ring) << QPoint(r, b) << "highlight";
        QTest::addRow("ring %d right", ring) << QPoint(r, 12) << "highlight";
        QTest::addRow("ring %d bottom", ring) << QPoint(15, b) << "highlight";
    }
    // The fill is 24 x 19, from (3, 3) to (26, 21).
    QTest::newRow("fill top-left") << QPoint(3, 3) << "fill";
    QTest::newRow("fill top-right") << QPoint(26, 3) << "fill";
    QTest::newRow("fill bottom-left") << QPoint(3, 21) << "fill";
    QTest::newRow("fill bottom-right") << QPoint(26, 21) << "fill";
}

void TestColorGrid::bevelUsesThePaletteColours()
{
    QFETCH(QPoint, offset);
    QFETCH(QString, role);
    Fixture f;
    QPalette palette = f.grid->palette();
    palette.setColor(QPalette::Button, QColor(0xC8, 0xC0, 0xB8));
    palette.setColor(QPalette::Dark, QColor(0x70, 0x60, 0x50));
    palette.setColor(QPalette::Light, QColor(0xF8, 0xF0, 0xE8));
    f.grid->setPalette(palette);
    const Color expected = role == "face"     ? rgb(0xC8, 0xC0, 0xB8)
                           : role == "shadow" ? rgb(0x70, 0x60, 0x50)
                           : role == "highlight" ? rgb(0xF8, 0xF0, 0xE8)
                                                 : Color(0x0000FF);
    // Cell 9 (red) carries no mark; cell 6 (teal) checks the left column.
    const QImage image = f.image();
    QCOMPARE(colorAt(image, 30 + offset.x(), 100 + offset.y()), expected);
    if (role != "fill")
        QCOMPARE(colorAt(image, offset.x(), 75 + offset.y()), expected);
}

void TestColorGrid::flatPaletteFallsBackToClassicGrey()
{
    Fixture f;
    QPalette palette = f.grid->palette();
    palette.setColor(QPalette::Button, QColor(0xE0, 0xE0, 0xE0));
    palette.setColor(QPalette::Dark, QColor(0xE0, 0xE0, 0xE0));
    palette.setColor(QPalette::Light, QColor(0xE0, 0xE0, 0xE0));
    f.grid->setPalette(palette);
    const QImage image = f.image();
    QCOMPARE(colorAt(image, 30, 100), Color(0xC0C0C0));
    QCOMPARE(colorAt(image, 31, 101), Color(0x808080));
    QCOMPARE(colorAt(image, 32, 112), Color(0x808080));
    QCOMPARE(colorAt(image, 58, 101), Color(0xFFFFFF));
    QCOMPARE(colorAt(image, 45, 122), Color(0xFFFFFF));
}

void TestColorGrid::markTextContrastsWithItsCell_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<Color>("textColor");
    QTest::newRow("silver gets black") << 7 << Color(0x000000);
    QTest::newRow("grey gets black") << 8 << Color(0x000000);
    QTest::newRow("red gets aqua") << 9 << Color(0xFFFF00);
    QTest::newRow("dark red gets aqua") << 1 << Color(0xFFFF00);
    QTest::newRow("yellow gets blue") << 11 << Color(0xFF0000);
    QTest::newRow("olive gets blue") << 3 << Color(0xFF0000);
    QTest::newRow("white gets black") << 15 << Color(0x000000);
    QTest::newRow("navy gets yellow") << 4 << Color(0x00FFFF);
}

void TestColorGrid::markTextContrastsWithItsCell()
{
    QFETCH(int, index);
    QFETCH(Color, textColor);
    Fixture f;
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(index));
    QCOMPARE(f.grid->ForegroundIndex(), index);
    verifyMark(f, index, QStringLiteral("FG"), textColor);
    // Black cell 0 keeps "BG" in white.
    verifyMark(f, 0, QStringLiteral("BG"), 0xFFFFFF);
}

void TestColorGrid::leftClickOnRedMovesFGAndOwnerSeesOldThenNewColour()
{
    Fixture f;
    OwnerBoxes boxes(f.grid);
    QList<Color> seenAtDown;
    QList<QPoint> downPoints;
    QObject::connect(f.grid, &TColorGrid::mouseDown, f.grid, [&](Qt::MouseButton, Qt::MouseButtons buttons,
                                                                 Qt::KeyboardModifiers, QPoint pos) {
        QCOMPARE(buttons, Qt::MouseButtons(Qt::LeftButton));
        seenAtDown << boxes.left;
        downPoints << pos;
    });
    const QPoint cell9 = f.centre(9);
    QTest::mousePress(f.grid, Qt::LeftButton, {}, cell9);
    QCOMPARE(seenAtDown, QList<Color>{0x000000});
    QCOMPARE(downPoints, QList<QPoint>{cell9});
    QCOMPARE(boxes.left, Color(0x000000));
    QCOMPARE(f.grid->ForegroundIndex(), 9);
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, cell9);
    QCOMPARE(boxes.left, Color(0x0000FF));
    QCOMPARE(boxes.right, Color(0x0000FF)); // untouched start value
    QCOMPARE(f.grid->BackgroundIndex(), 0);
    verifyMark(f, 9, QStringLiteral("FG"), 0xFFFF00);
    verifyMark(f, 0, QStringLiteral("BG"), 0xFFFFFF);
}

void TestColorGrid::leftDragOutsideEndsOnTheNearestEdgeCell_data()
{
    QTest::addColumn<QList<QPoint>>("path");
    QTest::addColumn<int>("cell");
    QTest::addColumn<Color>("color");
    QTest::newRow("straight down and out") << QList<QPoint>{{15, 90}, {15, 160}, {15, 199}, {15, 260}} << 14
                                           << Color(0xFFFF00);
    QTest::newRow("out to the right") << QList<QPoint>{{45, 62}, {90, 62}} << 5 << Color(0x800080);
    QTest::newRow("right and down") << QList<QPoint>{{90, 62}, {90, 140}} << 11 << Color(0x00FFFF);
    QTest::newRow("out to the left") << QList<QPoint>{{-30, 30}} << 2 << Color(0x008000);
    QTest::newRow("up and out") << QList<QPoint>{{50, 10}, {50, -80}} << 1 << Color(0x000080);
    QTest::newRow("back to the start") << QList<QPoint>{{15, 300}, {15, 62}} << 4 << Color(0x800000);
}

void TestColorGrid::leftDragOutsideEndsOnTheNearestEdgeCell()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(int, cell);
    QFETCH(Color, color);
    Fixture f;
    OwnerBoxes boxes(f.grid);
    QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(4));
    QCOMPARE(f.grid->ForegroundIndex(), 4);
    for (const QPoint& p : path)
        moveWith(f.grid, p, Qt::LeftButton);
    QCOMPARE(f.grid->ForegroundIndex(), cell);
    QCOMPARE(boxes.left, Color(0x000000)); // the box waits for the release
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, path.last());
    QCOMPARE(f.grid->ForegroundIndex(), cell);
    QCOMPARE(boxes.left, color);
    QCOMPARE(f.grid->BackgroundIndex(), 0);
}

void TestColorGrid::rightPressOnTheFGCellShowsFB()
{
    Fixture f;
    OwnerBoxes boxes(f.grid);
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(11));
    QTest::mousePress(f.grid, Qt::RightButton, {}, f.centre(11));
    QCOMPARE(boxes.right, Color(0x000000)); // "BG" was on black before the press
    QCOMPARE(f.grid->BackgroundIndex(), 11);
    verifyMark(f, 11, QStringLiteral("FB"), 0xFF0000);
    // Cell 0 lost its mark altogether.
    const QImage image = f.image();
    QCOMPARE(countColor(image, f.grid->cellRect(0).adjusted(3, 3, -3, -3), 0x000000), 24 * 19);
    QTest::mouseRelease(f.grid, Qt::RightButton, {}, f.centre(11));
    QCOMPARE(boxes.right, Color(0x00FFFF));
    QCOMPARE(boxes.left, Color(0x00FFFF));

    // Moving "BG" on again splits "FB" back into "FG" and "BG".
    QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(15));
    verifyMark(f, 11, QStringLiteral("FG"), 0xFF0000);
    verifyMark(f, 15, QStringLiteral("BG"), 0x000000);
}

void TestColorGrid::rightClickSignalsInOrder()
{
    Fixture f;
    QStringList events;
    QObject::connect(f.grid, &TColorGrid::mouseDown, f.grid, [&] { events << "down"; });
    QObject::connect(f.grid, &TColorGrid::mouseUp, f.grid, [&] { events << "up"; });
    QObject::connect(f.grid, &TColorGrid::changed, f.grid, [&] { events << "changed"; });
    QObject::connect(f.grid, &TColorGrid::clicked, f.grid, [&] { events << "clicked"; });

    QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(3));
    QCOMPARE(events, (QStringList{"down", "changed", "up", "clicked"}));

    events.clear();
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(3));
    QCOMPARE(events, (QStringList{"down", "changed", "up"}));

    events.clear();
    QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(3));
    QCOMPARE(events, (QStringList{"down", "up", "clicked"}));
}

void TestColorGrid::changedOnlyForRealChanges()
{
    Fixture f;
    QSignalSpy changed(f.grid, &TColorGrid::changed);
    f.grid->setForegroundIndex(0);
    f.grid->setBackgroundIndex(0);
    QCOMPARE(changed.count(), 0);
    f.grid->setForegroundIndex(3);
    QCOMPARE(changed.count(), 1);
    f.grid->setForegroundIndex(3);
    QCOMPARE(changed.count(), 1);
    f.grid->setBackgroundIndex(3);
    QCOMPARE(changed.count(), 2);

    // A drag reports each cell it enters, not each move.
    QTest::mousePress(f.grid, Qt::LeftButton, {}, QPoint(5, 80)); // cell 6
    QCOMPARE(changed.count(), 3);
    moveWith(f.grid, QPoint(20, 90), Qt::LeftButton);
    moveWith(f.grid, QPoint(25, 95), Qt::LeftButton);
    QCOMPARE(changed.count(), 3);
    moveWith(f.grid, QPoint(25, 110), Qt::LeftButton); // cell 8
    moveWith(f.grid, QPoint(25, 400), Qt::LeftButton); // cell 14
    moveWith(f.grid, QPoint(25, 500), Qt::LeftButton);
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, QPoint(25, 500));
    QCOMPARE(changed.count(), 5);
    QCOMPARE(f.grid->ForegroundIndex(), 14);
}

void TestColorGrid::outOfRangeIndicesAreIgnored()
{
    Fixture f;
    QSignalSpy changed(f.grid, &TColorGrid::changed);
    f.grid->setForegroundIndex(5);
    f.grid->setBackgroundIndex(7);
    for (int bad : {-1, 16, 1000}) {
        f.grid->setForegroundIndex(bad);
        f.grid->setBackgroundIndex(bad);
    }
    QCOMPARE(f.grid->ForegroundIndex(), 5);
    QCOMPARE(f.grid->BackgroundIndex(), 7);
    QCOMPARE(f.grid->ForegroundRGB(), Color(0x800080));
    QCOMPARE(f.grid->BackgroundRGB(), Color(0xC0C0C0));
    QCOMPARE(changed.count(), 2);
}

void TestColorGrid::middleButtonChangesNothing()
{
    Fixture f;
    QSignalSpy changed(f.grid, &TColorGrid::changed);
    QSignalSpy clicked(f.grid, &TColorGrid::clicked);
    QSignalSpy down(f.grid, &TColorGrid::mouseDown);
    QSignalSpy up(f.grid, &TColorGrid::mouseUp);
    const QImage before = f.image();
    QTest::mousePress(f.grid, Qt::MiddleButton, {}, f.centre(9));
    moveWith(f.grid, f.centre(12), Qt::MiddleButton);
    QTest::mouseRelease(f.grid, Qt::MiddleButton, {}, f.centre(12));
    QCOMPARE(f.grid->ForegroundIndex(), 0);
    QCOMPARE(f.grid->BackgroundIndex(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(down.count(), 1); // the owner still hears of it
    QCOMPARE(up.count(), 1);
    QCOMPARE(f.image(), before);
}

void TestColorGrid::laterButtonTakesOverTheDrag()
{
    Fixture f;
    QSignalSpy clicked(f.grid, &TColorGrid::clicked);
    QSignalSpy up(f.grid, &TColorGrid::mouseUp);
    QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(2));
    QTest::mousePress(f.grid, Qt::RightButton, {}, f.centre(5));
    QCOMPARE(f.grid->ForegroundIndex(), 2);
    QCOMPARE(f.grid->BackgroundIndex(), 5);
    moveWith(f.grid, f.centre(7), Qt::LeftButton | Qt::RightButton);
    QCOMPARE(f.grid->ForegroundIndex(), 2);
    QCOMPARE(f.grid->BackgroundIndex(), 7);
    // The earlier left button lets go: the right-button drag goes on.
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.centre(7));
    QCOMPARE(up.count(), 1);
    QCOMPARE(clicked.count(), 0);
    moveWith(f.grid, f.centre(9), Qt::RightButton);
    QCOMPARE(f.grid->BackgroundIndex(), 9);
    QTest::mouseRelease(f.grid, Qt::RightButton, {}, f.centre(9));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(up.count(), 2);
    QCOMPARE(f.grid->ForegroundIndex(), 2);
    QCOMPARE(f.grid->BackgroundIndex(), 9);
}

void TestColorGrid::releasingTheLastButtonFirstEndsTheDrag()
{
    Fixture f;
    OwnerBoxes boxes(f.grid);
    QSignalSpy clicked(f.grid, &TColorGrid::clicked);
    QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(2));
    QTest::mousePress(f.grid, Qt::RightButton, {}, f.centre(2));
    QTest::mouseRelease(f.grid, Qt::RightButton, {}, f.centre(2));
    QCOMPARE(clicked.count(), 1);
    // The drag is over although the left button is still down.
    moveWith(f.grid, f.centre(13), Qt::LeftButton);
    QCOMPARE(f.grid->ForegroundIndex(), 2);
    QCOMPARE(f.grid->BackgroundIndex(), 2);
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.centre(13));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(boxes.left, Color(0x008000));
    QCOMPARE(boxes.right, Color(0x008000));
}

void TestColorGrid::moveWithoutTheButtonStopsFollowing()
{
    Fixture f;
    // Without tracking a move with no button held would not be delivered.
    f.grid->setMouseTracking(true);
    QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(1));
    QCOMPARE(f.grid->ForegroundIndex(), 1);
    // The release went elsewhere; the next move comes with no button held.
    moveWith(f.grid, f.centre(10), Qt::NoButton);
    QCOMPARE(f.grid->ForegroundIndex(), 1);
    moveWith(f.grid, f.centre(12), Qt::LeftButton);
    QCOMPARE(f.grid->ForegroundIndex(), 1);
    QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.centre(12));
    // A fresh press works as usual.
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(12));
    QCOMPARE(f.grid->ForegroundIndex(), 12);
}

void TestColorGrid::doubleClickCountsEachPressOnce()
{
    // What the window system delivers for a double click: the second press
    // comes as a press followed by a double-click event.
    Fixture f;
    QSignalSpy down(f.grid, &TColorGrid::mouseDown);
    QSignalSpy up(f.grid, &TColorGrid::mouseUp);
    QSignalSpy clicked(f.grid, &TColorGrid::clicked);
    const QPoint p = f.centre(13);
    sendButton(f.grid, QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    sendButton(f.grid, QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);
    sendButton(f.grid, QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    sendButton(f.grid, QEvent::MouseButtonDblClick, p, Qt::RightButton, Qt::RightButton);
    sendButton(f.grid, QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);
    QCOMPARE(down.count(), 2);
    QCOMPARE(up.count(), 2);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(f.grid->BackgroundIndex(), 13);
}

void TestColorGrid::loneDoubleClickActsAsAPress()
{
    Fixture f;
    QSignalSpy down(f.grid, &TColorGrid::mouseDown);
    sendButton(f.grid, QEvent::MouseButtonDblClick, f.centre(6), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(down.count(), 1);
    QCOMPARE(f.grid->ForegroundIndex(), 6);
    moveWith(f.grid, f.centre(8), Qt::LeftButton);
    QCOMPARE(f.grid->ForegroundIndex(), 8);
    sendButton(f.grid, QEvent::MouseButtonRelease, f.centre(8), Qt::LeftButton, Qt::NoButton);
}

void TestColorGrid::takesNoFocusAndOpensNoContextMenu()
{
    // A parent that would show a menu if the request reached it.
    class Panel : public QWidget {
    public:
        int menus = 0;

    protected:
        void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
    };
    Panel panel;
    panel.resize(200, 260);
    auto* edit = new QLineEdit(&panel);
    edit->setGeometry(100, 0, 80, 20);
    auto* grid = new TColorGrid(&panel);
    grid->move(8, 30);
    panel.show();
    panel.activateWindow();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&panel));

    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseClick(grid, Qt::RightButton, {}, QPoint(40, 40));
    QCOMPARE(QApplication::focusWidget(), edit);

    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(40, 40), grid->mapToGlobal(QPoint(40, 40)));
    QApplication::sendEvent(grid, &request);
    QCOMPARE(panel.menus, 0);
}

// Writes the control at its layout size, magnified four times, for a look by
// eye: PIMOKO_COLOR_GRID_SHOT=/tmp/color_grid.png. Three states side by side:
// at start ("FB" on black), "FG" on red with "BG" on silver, "FB" on yellow.
void TestColorGrid::screenshotForReview()
{
    const QString path = qEnvironmentVariable("PIMOKO_COLOR_GRID_SHOT");
    if (path.isEmpty())
        QSKIP("set PIMOKO_COLOR_GRID_SHOT to a file name to write the picture");
    Fixture f;
    qInfo() << "mark font:" << QFontInfo(f.grid->font()).family() << QFontInfo(f.grid->font()).pixelSize();
    QList<QImage> states{f.image()};
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(9));
    QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(7));
    states << f.image();
    QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(11));
    QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(11));
    states << f.image();

    QImage sheet(3 * 60 + 2 * 8, 200, QImage::Format_RGB32);
    sheet.fill(f.grid->palette().color(QPalette::Window));
    QPainter painter(&sheet);
    for (int i = 0; i < states.size(); ++i)
        painter.drawImage(i * 68, 0, states[i]);
    painter.end();
    QVERIFY(sheet.scaled(sheet.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(path));
}

QTEST_MAIN(TestColorGrid)
#include "tst_color_grid.moc"
