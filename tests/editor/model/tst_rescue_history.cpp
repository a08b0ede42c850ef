#include "editor/model/drawing_tools.h"
#include "editor/model/rescue_history.h"
#include "editor/model/tool_codes.h"
#include "support/editor_fixture.h"

#include <QtTest>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::MouseState)
Q_DECLARE_METATYPE(pimoko::ToolCode)


// Rescue: the five images before the last presses, brought back newest first.
class RescueHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void emptyAtStart();
    void oneStrokeThenRescue();
    void sixStrokesFiveRescues();
    void historyIsNotCutAtTheCursor();
    void pickerAndMiddleClicksUseAStep_data();
    void pickerAndMiddleClicksUseAStep();
    void rescueRestoresEarlierSize();
    void rescueRebuildsViewsAndPreviews();
    void clearEmptiesHistory();
};

void RescueHistoryTest::emptyAtStart()
{
    Editor e;
    QVERIFY(!e.history.canRescue());
    // A rescue with nothing stored changes nothing at all.
    e.canvas.document().strokePixels().setPixel(1, 1, kBlack);
    e.canvas.paintEditCell(1, 1, kBlack);
    const PixelBuffer image = e.canvas.actualSize();
    const PixelBuffer view = e.canvas.magnifiedView;
    const bool modified = e.canvas.document().ImageModified;
    e.rescue();
    QVERIFY(e.canvas.actualSize() == image);
    QVERIFY(e.canvas.magnifiedView == view);
    QCOMPARE(bool(e.canvas.document().ImageModified), modified);
}

void RescueHistoryTest::oneStrokeThenRescue()
{
    Editor e;
    const PixelBuffer before = e.canvas.actualSize();
    e.stroke(4, 4);
    QVERIFY(!(e.canvas.actualSize() == before));
    QVERIFY(e.history.canRescue());
    e.rescue();
    QVERIFY(e.canvas.actualSize() == before);
    QVERIFY(e.canvas.document().ImageModified);
    QVERIFY(!e.history.canRescue());
}

void RescueHistoryTest::sixStrokesFiveRescues()
{
    Editor e;
    std::vector<PixelBuffer> before;
    for (int i = 0; i < 6; ++i) {
        before.push_back(e.canvas.actualSize());
        e.stroke(i, i);
    }
    for (int step = 0; step < 5; ++step) {
        QVERIFY(e.history.canRescue());
        e.rescue();
        QVERIFY2(e.canvas.actualSize() == before[std::size_t(5 - step)], qPrintable(QString::number(step)));
    }
    QVERIFY(!e.history.canRescue());
    // The state before stroke 1 is out of reach: another rescue only blanks.
    e.rescue();
    QVERIFY(!e.history.canRescue());
}

void RescueHistoryTest::historyIsNotCutAtTheCursor()
{
    Editor e;
    e.stroke(1, 1);
    const PixelBuffer s1 = e.canvas.actualSize();
    e.stroke(2, 2);
    const PixelBuffer s2 = e.canvas.actualSize();
    e.stroke(3, 3);
    e.rescue();
    QVERIFY(e.canvas.actualSize() == s2);
    e.rescue();
    QVERIFY(e.canvas.actualSize() == s1);
    e.stroke(9, 9);  // S4, drawn on S1
    QCOMPARE(e.history.FRescueCount, 2);
    e.rescue();
    QVERIFY(e.canvas.actualSize() == s1);
    e.rescue();
    QVERIFY(e.canvas.actualSize() == s2);
    QVERIFY(!e.history.canRescue());
}

void RescueHistoryTest::pickerAndMiddleClicksUseAStep_data()
{
    QTest::addColumn<ToolCode>("tool");
    QTest::addColumn<MouseState>("state");
    QTest::newRow("picker") << ToolCode::ColorPicker << MouseState::Left;
    QTest::newRow("middle button") << ToolCode::Pen << MouseState::Middle;
    QTest::newRow("shift") << ToolCode::Pen << (MouseState::Left | MouseState::Shift);
}

void RescueHistoryTest::pickerAndMiddleClicksUseAStep()
{
    QFETCH(ToolCode, tool);
    QFETCH(MouseState, state);
    Editor e;
    e.stroke(2, 2);
    const PixelBuffer drawn = e.canvas.actualSize();
    e.stroke(5, 5, state, tool);
    QCOMPARE(e.history.FRescueCount, 2);
    e.rescue();
    QVERIFY(e.canvas.actualSize() == drawn);
    QCOMPARE(e.history.FRescueCount, 1);
}

void RescueHistoryTest::rescueRestoresEarlierSize()
{
    Editor e;
    e.stroke(3, 3);
    const PixelBuffer at32 = e.canvas.actualSize();
    e.canvas.document().startStroke();
    // The canvas changes size (as the enlarge/reduce dialog does).
    e.canvas.settings.maskPanelVisible = false;
    e.canvas.ResetCanvas(64, 64, kBlack, kWhite);
    e.rescue();
    QCOMPARE(e.canvas.ImageWidth(), 32);
    QCOMPARE(e.canvas.ImageHeight(), 32);
    QCOMPARE(e.canvas.magnifiedView.width(), 192);
    QVERIFY(e.canvas.actualSize() == at32);
    QCOMPARE(e.canvas.magnifiedView.pixel(6 * 3 + 2, 6 * 3 + 2), e.colors.left);
}

void RescueHistoryTest::rescueRebuildsViewsAndPreviews()
{
    Editor e;
    e.canvas.document().strokePixels().setPixel(7, 8, 0x00FF00);
    e.canvas.rebuildViews();
    e.stroke(7, 8, MouseState::Right);
    e.canvas.settings.maskPanelVisible = false;
    e.rescue();
    QCOMPARE(e.canvas.magnifiedView.pixel(6 * 7 + 3, 6 * 8 + 3), Color(0x00FF00));
    QCOMPARE(e.canvas.magnifiedView.pixel(6 * 7, 6 * 8 + 3), kBlack);
    // The previews follow even while they are hidden.
    QCOMPARE(e.canvas.colorPreview.pixel(7, 8), Color(0x00FF00));
    QCOMPARE(e.canvas.andPreview.pixel(7, 8), kBlack);
}

void RescueHistoryTest::clearEmptiesHistory()
{
    Editor e;
    e.stroke(1, 1);
    e.stroke(2, 2);
    // A new image starts without history.
    e.canvas.document().startNew(PixelBuffer(32, 32, kWhite));
    QVERIFY(!e.history.canRescue());
    e.stroke(3, 3);
    QCOMPARE(e.history.FRescueCount, 1);
}

QTEST_APPLESS_MAIN(RescueHistoryTest)
#include "tst_rescue_history.moc"
