#include "editor/color_grid.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace pimoko;

namespace {

Color colorAt(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return rgb(qRed(p), qGreen(p), qBlue(p));
}

// A mouse event with the given buttons held; QTest's move does not carry them.
void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// The palette as the main window holds it: a 60 x 200 child in the 12-pixel
// proportional Gothic when installed, with the colour boxes the main window's
// mouseDown/mouseUp handlers fill from it.
struct Fixture {
    QWidget window;
    TColorGrid* grid = new TColorGrid(&window);
    Color leftBox = 0xFF0000;
    Color rightBox = 0x0000FF;

    Fixture()
    {
        grid->setGeometry(8, 8, 60, 200);
        QFont font = grid->font();
        if (QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
            font.setFamilies({QStringLiteral("IPAPGothic")});
        font.setPixelSize(12);
        grid->setFont(font);
        const auto owner = [this](Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                leftBox = grid->ForegroundRGB();
            else if (button == Qt::RightButton)
                rightBox = grid->BackgroundRGB();
        };
        QObject::connect(grid, &TColorGrid::mouseDown, grid, owner);
        QObject::connect(grid, &TColorGrid::mouseUp, grid, owner);
        window.show();
    }
    QPoint centre(int index) const { return grid->cellRect(index).center(); }
};

// Inside the bevel the cell shows only its colour and `text` in textColor,
// centred on one line in the control's font, unsmoothed; empty: no mark.
void verifyMark(const Fixture& f, int index, const QString& text, Color textColor)
{
    const QRect cell = f.grid->cellRect(index);
    const Color fill = TColorGrid::PaletteColors()[std::size_t(index)];
    QImage expected(cell.size(), QImage::Format_RGB32);
    expected.fill(QColor(redOf(fill), greenOf(fill), blueOf(fill)));
    QPainter painter(&expected);
    QFont font = f.grid->font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    painter.setPen(QColor(redOf(textColor), greenOf(textColor), blueOf(textColor)));
    painter.drawText(QRect(QPoint(), cell.size()), Qt::AlignCenter, text);
    painter.end();

    const QImage actual = f.grid->grab().toImage();
    int textPixels = 0;
    for (int y = 3; y < cell.height() - 3; ++y)
        for (int x = 3; x < cell.width() - 3; ++x) {
            const Color seen = colorAt(actual, cell.x() + x, cell.y() + y);
            QVERIFY(seen == fill || seen == textColor);
            QCOMPARE(seen, colorAt(expected, x, y));
            textPixels += seen == textColor ? 1 : 0;
        }
    QVERIFY2(text.isEmpty() ? textPixels == 0 : textPixels > 10, qPrintable(text));
}

} // namespace

class TestColorGrid : public QObject {
    Q_OBJECT

private slots:
    void cellAtClampsToTheNearestCell_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("cell");
        QTest::newRow("top-left pixel") << QPoint(0, 0) << 0;
        QTest::newRow("last of cell 0") << QPoint(29, 24) << 0;
        QTest::newRow("first of cell 3") << QPoint(30, 25) << 3;
        QTest::newRow("bottom-right pixel") << QPoint(59, 199) << 15;
        QTest::newRow("left of row 2") << QPoint(-40, 60) << 4;
        QTest::newRow("right of row 2") << QPoint(60, 60) << 5;
        QTest::newRow("above right column") << QPoint(50, -1) << 1;
        QTest::newRow("below left column") << QPoint(15, 500) << 14;
        QTest::newRow("far below-right") << QPoint(1000, 1000) << 15;
    }
    void cellAtClampsToTheNearestCell()
    {
        QFETCH(QPoint, point);
        QFETCH(int, cell);
        Fixture f;
        QCOMPARE(f.grid->cellRect(9), QRect(30, 100, 30, 25));
        QCOMPARE(f.grid->CellAt(point.x(), point.y()), cell);
    }

    void resizeTrimsToWholeCells()
    {
        Fixture f;
        f.grid->resize(79, 215);
        QCOMPARE(f.grid->size(), QSize(78, 208));
        QCOMPARE(f.grid->cellRect(15), QRect(39, 182, 39, 26));
        QCOMPARE(f.grid->CellAt(39, 25), 1);
    }

    // Cell 9 (red, unmarked) at (30, 100): outline, two sunken rings, 24 x 19 fill.
    void cellIsASunkenBevel_data()
    {
        QTest::addColumn<bool>("flat");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<Color>("color");
        for (bool flat : {false, true}) {
            const Color face = flat ? 0xC0C0C0 : 0x405060, shadow = flat ? 0x808080 : 0x102030;
            const Color light = flat ? 0xFFFFFF : 0xF0E0D0;
            const char* name = flat ? "flat theme" : "palette";
            QTest::addRow("%s outline corner", name) << flat << QPoint(29, 24) << face;
            QTest::addRow("%s outline top", name) << flat << QPoint(15, 0) << face;
            for (int r = 1; r <= 2; ++r) {
                QTest::addRow("%s ring %d top-left", name, r) << flat << QPoint(r, r) << shadow;
                QTest::addRow("%s ring %d before top-right", name, r) << flat << QPoint(28 - r, r) << shadow;
                QTest::addRow("%s ring %d above bottom-left", name, r) << flat << QPoint(r, 23 - r) << shadow;
                QTest::addRow("%s ring %d top-right", name, r) << flat << QPoint(29 - r, r) << light;
                QTest::addRow("%s ring %d bottom-left", name, r) << flat << QPoint(r, 24 - r) << light;
                QTest::addRow("%s ring %d right", name, r) << flat << QPoint(29 - r, 12) << light;
            }
            QTest::addRow("%s fill top-left", name) << flat << QPoint(3, 3) << Color(0x0000FF);
            QTest::addRow("%s fill bottom-right", name) << flat << QPoint(26, 21) << Color(0x0000FF);
        }
    }
    void cellIsASunkenBevel()
    {
        QFETCH(bool, flat);
        QFETCH(QPoint, at);
        QFETCH(Color, color);
        Fixture f;
        QPalette palette = f.grid->palette();
        palette.setColor(QPalette::Button, flat ? QColor(0xE0E0E0) : QColor(0x605040));
        palette.setColor(QPalette::Dark, flat ? QColor(0xE0E0E0) : QColor(0x302010));
        palette.setColor(QPalette::Light, flat ? QColor(0xE0E0E0) : QColor(0xD0E0F0));
        f.grid->setPalette(palette);
        QCOMPARE(colorAt(f.grid->grab().toImage(), 30 + at.x(), 100 + at.y()), color);
    }

    void marksContrastWithTheirCell_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<Color>("textColor");
        QTest::newRow("black") << 0 << Color(0xFFFFFF);
        QTest::newRow("silver") << 7 << Color(0x000000);
        QTest::newRow("red") << 9 << Color(0xFFFF00);
        QTest::newRow("yellow") << 11 << Color(0xFF0000);
        QTest::newRow("navy") << 4 << Color(0x00FFFF);
    }
    void marksContrastWithTheirCell()
    {
        QFETCH(int, cell);
        QFETCH(Color, textColor);
        Fixture f;
        QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(cell));
        QCOMPARE(f.grid->ForegroundIndex(), cell);
        if (cell == 0)
            return verifyMark(f, 0, QStringLiteral("FB"), textColor);
        verifyMark(f, cell, QStringLiteral("FG"), textColor);
        verifyMark(f, 0, QStringLiteral("BG"), 0xFFFFFF);
    }

    void leftClickOnRedOwnerSeesOldThenNewColour()
    {
        Fixture f;
        QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(9));
        QCOMPARE(f.leftBox, Color(0x000000)); // "FG" was on black at the press
        QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.centre(9));
        QCOMPARE(f.leftBox, Color(0x0000FF));
        QCOMPARE(f.rightBox, Color(0x0000FF));
        QCOMPARE(f.grid->BackgroundIndex(), 0);
    }

    void leftDragEndsOnTheCellUnderThePointer_data()
    {
        QTest::addColumn<QList<QPoint>>("path");
        QTest::addColumn<Color>("color");
        QTest::newRow("down and out") << QList<QPoint>{{15, 160}, {15, 260}} << Color(0xFFFF00);
        QTest::newRow("out to the right") << QList<QPoint>{{45, 62}, {90, 62}} << Color(0x800080);
        QTest::newRow("out left, back to the start") << QList<QPoint>{{-30, 30}, {15, 62}} << Color(0x800000);
    }
    void leftDragEndsOnTheCellUnderThePointer()
    {
        QFETCH(QList<QPoint>, path);
        QFETCH(Color, color);
        Fixture f;
        QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(4));
        for (QPoint p : path)
            send(f.grid, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(f.leftBox, Color(0x000000)); // the box waits for the release
        QTest::mouseRelease(f.grid, Qt::LeftButton, {}, path.last());
        QCOMPARE(f.grid->ForegroundRGB(), color);
        QCOMPARE(f.leftBox, color);
    }

    void rightPressOnTheFGCellShowsFB()
    {
        Fixture f;
        QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(11));
        QTest::mousePress(f.grid, Qt::RightButton, {}, f.centre(11));
        verifyMark(f, 11, QStringLiteral("FB"), 0xFF0000);
        verifyMark(f, 0, QString(), 0xFFFFFF); // black lost its mark
        QTest::mouseRelease(f.grid, Qt::RightButton, {}, f.centre(11));
        QCOMPARE(f.rightBox, Color(0x00FFFF));
        QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(15));
        verifyMark(f, 11, QStringLiteral("FG"), 0xFF0000);
    }

    void signalsComeInOrderAndOnlyForChanges()
    {
        Fixture f;
        QStringList seen;
        QObject::connect(f.grid, &TColorGrid::mouseDown, f.grid, [&] { seen << "down"; });
        QObject::connect(f.grid, &TColorGrid::mouseUp, f.grid, [&] { seen << "up"; });
        QObject::connect(f.grid, &TColorGrid::changed, f.grid, [&] { seen << "changed"; });
        QObject::connect(f.grid, &TColorGrid::clicked, f.grid, [&] { seen << "clicked"; });
        QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(3));
        QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(3));
        QTest::mouseClick(f.grid, Qt::LeftButton, {}, f.centre(3));
        QTest::mouseClick(f.grid, Qt::MiddleButton, {}, f.centre(8));
        QCOMPARE(seen, (QStringList{"down", "changed", "up", "clicked", "down", "up", "clicked", //
                                    "down", "changed", "up", "down", "up"}));
        seen.clear();
        for (int index : {3, -1, 16, 5, 5})
            f.grid->setForegroundIndex(index);
        QCOMPARE(seen, QStringList{"changed"});
        QCOMPARE(f.grid->ForegroundIndex(), 5);
        QCOMPARE(f.grid->BackgroundIndex(), 3);
    }

    void middleDragChangesNothing()
    {
        Fixture f;
        const QImage before = f.grid->grab().toImage();
        QTest::mousePress(f.grid, Qt::MiddleButton, {}, f.centre(9));
        send(f.grid, QEvent::MouseMove, f.centre(12), Qt::NoButton, Qt::MiddleButton);
        QTest::mouseRelease(f.grid, Qt::MiddleButton, {}, f.centre(12));
        QCOMPARE(f.grid->grab().toImage(), before);
        QCOMPARE(f.leftBox, Color(0xFF0000));
        QCOMPARE(f.rightBox, Color(0x0000FF));
    }

    void releaseEndsTheDrag()
    {
        // Right released first: the still-held left button drags nothing.
        Fixture f;
        QTest::mousePress(f.grid, Qt::LeftButton, {}, f.centre(2));
        QTest::mouseClick(f.grid, Qt::RightButton, {}, f.centre(2));
        send(f.grid, QEvent::MouseMove, f.centre(13), Qt::NoButton, Qt::LeftButton);
        QTest::mouseRelease(f.grid, Qt::LeftButton, {}, f.centre(13));
        QCOMPARE(f.grid->ForegroundIndex(), 2);
        QCOMPARE(f.leftBox, Color(0x008000));
    }

    void doubleClickIsTwoPressesNotThree()
    {
        // Through the window system: Qt delivers press, release, double-click, release.
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QSignalSpy down(f.grid, &TColorGrid::mouseDown);
        QTest::mouseDClick(f.window.windowHandle(), Qt::LeftButton, {}, f.grid->mapTo(&f.window, f.centre(13)));
        QCOMPARE(down.count(), 2);
        QCOMPARE(f.grid->ForegroundIndex(), 13);
    }

    void firstReleaseEndsTheDrag()
    {
        // Left on 9, right too, over to 11, left up, on to 13: the drag
        // ended with the first release, so the right colour is cell 11's.
        Fixture f;
        send(f.grid, QEvent::MouseButtonPress, f.centre(9), Qt::LeftButton, Qt::LeftButton);
        send(f.grid, QEvent::MouseButtonPress, f.centre(9), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
        send(f.grid, QEvent::MouseMove, f.centre(11), Qt::NoButton, Qt::LeftButton | Qt::RightButton);
        send(f.grid, QEvent::MouseButtonRelease, f.centre(11), Qt::LeftButton, Qt::RightButton);
        send(f.grid, QEvent::MouseMove, f.centre(13), Qt::NoButton, Qt::RightButton);
        send(f.grid, QEvent::MouseButtonRelease, f.centre(13), Qt::RightButton, Qt::NoButton);
        QCOMPARE(f.grid->BackgroundIndex(), 11);
        QCOMPARE(f.rightBox, TColorGrid::PaletteColors()[11]);
        QCOMPARE(f.grid->ForegroundIndex(), 9);
    }
};

QTEST_MAIN(TestColorGrid)
#include "tst_color_grid.moc"
