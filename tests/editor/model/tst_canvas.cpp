#include "editor/model/canvas.h"

#include <QtTest>

using namespace pimoko;

// The canvas model: blank canvases with their grid, the refresh after an
// edit, a picture taken as the document, and the three mask previews.
class CanvasTest : public QObject {
    Q_OBJECT
private slots:
    void newCanvasIsBlankWhiteWithBlackGrid_data();
    void newCanvasIsBlankWhiteWithBlackGrid();
    void gridLinesOfTallCanvas();
    void viewPointMapsToDocumentPixel_data();
    void viewPointMapsToDocumentPixel();
    void centring_data();
    void centring();
    void previewsOfRedTopLeftImage();
    void previewsOfOneColourImage();
    void refreshKeepsImage();
    void refreshRebuildsGridBlack();
    void resetDiscardsImage();
    void repaintLeavesGridAlone();
    void previewsFollowBackPanelColour();
    void sizeText_data();
    void sizeText();
};

void CanvasTest::newCanvasIsBlankWhiteWithBlackGrid_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("16") << 16 << 16;
    QTest::newRow("32") << 32 << 32;
    QTest::newRow("64") << 64 << 64;
    QTest::newRow("wide 64 x 1") << 64 << 1;
}

void CanvasTest::newCanvasIsBlankWhiteWithBlackGrid()
{
    QFETCH(int, width);
    QFETCH(int, height);
    Canvas canvas;
    canvas.ResetCanvas(width, height, kBlack, kWhite);

    QCOMPARE(canvas.magnifiedView.width(), 6 * width);
    QCOMPARE(canvas.magnifiedView.height(), 6 * height);
    QCOMPARE(canvas.actualSize().width(), width);
    QCOMPARE(canvas.actualSize().height(), height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            QCOMPARE(canvas.actualSize().pixel(x, y), kWhite);
    for (int y = 0; y < canvas.magnifiedView.height(); ++y)
        for (int x = 0; x < canvas.magnifiedView.width(); ++x) {
            const bool onGrid = x % 6 == 0 || y % 6 == 0;
            QCOMPARE(canvas.magnifiedView.pixel(x, y), onGrid ? kBlack : kWhite);
        }
    // Previews of a blank canvas: everything transparent.
    QCOMPARE(canvas.andPreview.pixel(width - 1, height - 1), kWhite);
    QCOMPARE(canvas.colorPreview.pixel(width - 1, height - 1), kBlack);
    QCOMPARE(canvas.resultPreview.pixel(width - 1, height - 1), Color(0x008000));
}

void CanvasTest::gridLinesOfTallCanvas()
{
    Canvas canvas;
    canvas.ResetCanvas(3, 40, 0x123456, 0xFEDCBA);
    // Every cell row has its grid line above it, the bottom edge none.
    for (int row = 0; row < 40; ++row)
        for (int x = 0; x < 18; ++x)
            QCOMPARE(canvas.magnifiedView.pixel(x, 6 * row), Color(0x123456));
    for (int x = 1; x < 18; ++x) {
        if (x % 6 == 0)
            continue;
        QCOMPARE(canvas.magnifiedView.pixel(x, 6 * 40 - 1), Color(0xFEDCBA));
    }
    // The right edge has no grid column.
    for (int y = 1; y < 6; ++y)
        QCOMPARE(canvas.magnifiedView.pixel(17, y), Color(0xFEDCBA));
}

void CanvasTest::viewPointMapsToDocumentPixel_data()
{
    QTest::addColumn<int>("viewX");
    QTest::addColumn<int>("documentX");
    QTest::newRow("origin") << 0 << 0;
    QTest::newRow("inside first cell") << 5 << 0;
    QTest::newRow("second grid line") << 6 << 1;
    QTest::newRow("left edge folds to 0") << -5 << 0;
    QTest::newRow("one left of edge") << -1 << 0;
    QTest::newRow("six to the left") << -6 << -1;
    QTest::newRow("far right") << 383 << 63;
}

void CanvasTest::viewPointMapsToDocumentPixel()
{
    QFETCH(int, viewX);
    QFETCH(int, documentX);
    QCOMPARE(documentPixelAt({viewX, viewX}), (Point{documentX, documentX}));
}

void CanvasTest::centring_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");
    QTest::newRow("editing view 32") << 394 << 192 << 101;
    QTest::newRow("editing view 64") << 394 << 384 << 5;
    QTest::newRow("actual size 32") << 72 << 32 << 20;
    QTest::newRow("odd remainder") << 40 << 21 << 9;
    QTest::newRow("larger than frame") << 40 << 64 << -12;
    QTest::newRow("larger by odd amount") << 40 << 63 << -11;
}

void CanvasTest::centring()
{
    QFETCH(int, frame);
    QFETCH(int, size);
    QFETCH(int, offset);
    QCOMPARE(centredOffset(frame, size), offset);
}

void CanvasTest::previewsOfRedTopLeftImage()
{
    Canvas canvas;
    const Color red = 0x0000FF;
    const Color blue = 0xFF0000;
    canvas.document().strokePixels().setPixel(0, 0, red);
    canvas.document().strokePixels().setPixel(5, 7, red);
    canvas.document().strokePixels().setPixel(6, 7, blue);
    canvas.UpdateMaskPreviews();
    for (Point p : {Point{0, 0}, Point{5, 7}}) {
        QCOMPARE(canvas.andPreview.pixel(p.x, p.y), kWhite);
        QCOMPARE(canvas.colorPreview.pixel(p.x, p.y), kBlack);
        QCOMPARE(canvas.resultPreview.pixel(p.x, p.y), canvas.settings.BackPanelColor);
    }
    // Opaque pixels: white ones and the blue one.
    for (Point p : {Point{6, 7}, Point{1, 0}}) {
        const Color colour = canvas.actualSize().pixel(p.x, p.y);
        QCOMPARE(canvas.andPreview.pixel(p.x, p.y), kBlack);
        QCOMPARE(canvas.colorPreview.pixel(p.x, p.y), colour);
        QCOMPARE(canvas.resultPreview.pixel(p.x, p.y), colour);
    }
}

void CanvasTest::previewsOfOneColourImage()
{
    Canvas canvas;
    canvas.document().strokePixels().fill(0x00FFFF);
    canvas.UpdateMaskPreviews();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            QCOMPARE(canvas.andPreview.pixel(x, y), kWhite);
            QCOMPARE(canvas.colorPreview.pixel(x, y), kBlack);
            QCOMPARE(canvas.resultPreview.pixel(x, y), canvas.settings.BackPanelColor);
        }
}

void CanvasTest::refreshKeepsImage()
{
    Canvas canvas;
    canvas.document().strokePixels().setPixel(3, 4, 0x0000FF);
    canvas.document().strokePixels().setPixel(31, 31, 0x00FF00);
    const PixelBuffer before = canvas.actualSize();
    canvas.rebuildViews();
    QVERIFY(canvas.actualSize() == before);
    // The cell of (3, 4) is its 5 x 5 block; the grid around it stays black.
    for (int y = 25; y <= 29; ++y)
        for (int x = 19; x <= 23; ++x)
            QCOMPARE(canvas.magnifiedView.pixel(x, y), Color(0x0000FF));
    QCOMPARE(canvas.magnifiedView.pixel(18, 25), kBlack);
    QCOMPARE(canvas.magnifiedView.pixel(19, 24), kBlack);
    QCOMPARE(canvas.magnifiedView.pixel(24, 30), kBlack);
    QCOMPARE(canvas.colorPreview.pixel(31, 31), Color(0x00FF00));
    QCOMPARE(canvas.andPreview.pixel(3, 4), kBlack);
}

void CanvasTest::refreshRebuildsGridBlack()
{
    Canvas canvas;
    canvas.ResetCanvas(0x00FF00, 0xFF0000);
    canvas.rebuildViews();
    QCOMPARE(canvas.magnifiedView.pixel(0, 0), kBlack);
    QCOMPARE(canvas.magnifiedView.pixel(6, 3), kBlack);
    // The cells show the document, which kept its blue.
    QCOMPARE(canvas.magnifiedView.pixel(1, 1), Color(0xFF0000));
}

void CanvasTest::resetDiscardsImage()
{
    Canvas canvas;
    canvas.document().strokePixels().setPixel(1, 1, kBlack);
    canvas.ResetCanvas(kBlack, kWhite);
    QCOMPARE(canvas.actualSize().pixel(1, 1), kWhite);
}

void CanvasTest::repaintLeavesGridAlone()
{
    Canvas canvas;
    canvas.document().strokePixels().fill(0x0000FF);
    canvas.RepaintEditView();
    QCOMPARE(canvas.magnifiedView.pixel(6, 6), kBlack);
    QCOMPARE(canvas.magnifiedView.pixel(7, 7), Color(0x0000FF));
    QCOMPARE(canvas.magnifiedView.pixel(191, 191), Color(0x0000FF));
}

void CanvasTest::previewsFollowBackPanelColour()
{
    Canvas canvas;
    canvas.settings.BackPanelColor = 0x808080;
    canvas.UpdateMaskPreviews();
    QCOMPARE(canvas.resultPreview.pixel(10, 10), Color(0x808080));
    QCOMPARE(canvas.actualSize().pixel(10, 10), kWhite);
}

void CanvasTest::sizeText_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("text");
    QTest::newRow("32") << 32 << 32 << " 32 x 32";
    QTest::newRow("16") << 16 << 16 << " 16 x 16";
    QTest::newRow("64 x 1") << 64 << 1 << " 64 x 1";
}

void CanvasTest::sizeText()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, text);
    Canvas canvas;
    canvas.ResetCanvas(width, height, kBlack, kWhite);
    QCOMPARE(QString::fromStdString(canvas.sizeText()), text);
}

QTEST_APPLESS_MAIN(CanvasTest)
#include "tst_canvas.moc"
