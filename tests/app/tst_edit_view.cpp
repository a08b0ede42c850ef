#include "app/action_list.h"
#include "app/pimo_form.h"
#include "editor/pixel_view.h"
#include "support/editor_fixture.h"
#include "support/private_home.h"

#include <QAction>
#include <QStyleHints>
#include <QtTest>

using namespace pimoko;

// The drawing tools driven through the real editing view with mouse events:
// which events reach the view, the status text, and the rescue hook.
class EditViewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void penClickPaintsCell();
    void statusTextFollowsPointer();
    void rectangleDragThroughWidget();
    void leftDragLeavingViewStillPaintsFoldedColumn();
    void rightDragReleasedOutsideIsNotSeen();
    void pressOutsideViewIsNotTheViews();
    void rightPressBesideViewThenMovesOverItPaint();
    void doubleClickPaintsOnlyFirstPress();
    void middleAndModifiedPressesTakeRescueStep();
    void pickerSetsColourBoxes();
    void rescueThroughCommand();
    void rescueShortcutDisabledAtStart();

private:
    // The recovery copies of the windows' drawings land here.
    PrivateHome home_;
    QWidget* im1() const { return form_->findChild<QWidget*>(QStringLiteral("Im1")); }
    static QPoint cell(int x, int y) { return cellPoint(x, y); }
    // Sends a move with the given buttons held straight to the view, so that
    // points outside it can be reported as Qt does during a grab.
    void moveWithButtons(QPoint p, Qt::MouseButtons buttons)
    {
        QMouseEvent move(QEvent::MouseMove, p, im1()->mapToGlobal(p), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(im1(), &move);
    }
    void release(QPoint p, Qt::MouseButton button, Qt::MouseButtons stillHeld)
    {
        QMouseEvent up(QEvent::MouseButtonRelease, p, im1()->mapToGlobal(p), button, stillHeld, Qt::NoModifier);
        QApplication::sendEvent(im1(), &up);
    }
    void press(QPoint p, Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = {})
    {
        QMouseEvent down(QEvent::MouseButtonPress, p, im1()->mapToGlobal(p), button, held, modifiers);
        QApplication::sendEvent(im1(), &down);
    }
    Color pixel(int x, int y) const { return form_->canvas().actualSize().pixel(x, y); }

    std::unique_ptr<TPimoForm1> form_;
};

void EditViewTest::init()
{
    form_ = std::make_unique<TPimoForm1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void EditViewTest::cleanup() { form_.reset(); }

void EditViewTest::penClickPaintsCell()
{
    QTest::mouseClick(im1(), Qt::LeftButton, {}, cell(4, 5));
    QCOMPARE(pixel(4, 5), Color(0xFF0000));
    QVERIFY(form_->canvas().document().ImageModified);
    QTest::mouseClick(im1(), Qt::RightButton, {}, cell(6, 5));
    QCOMPARE(pixel(6, 5), Color(0x0000FF));
    // The previews follow the stroke.
    QCOMPARE(form_->canvas().colorPreview.pixel(6, 5), Color(0x0000FF));
}

void EditViewTest::statusTextFollowsPointer()
{
    QVERIFY(form_->statusText(1).isEmpty());
    moveWithButtons(QPoint(20, 40), Qt::NoButton);
    QCOMPARE(form_->statusText(1), QStringLiteral(" X 3  Y 6"));
    press(QPoint(0, 0), Qt::LeftButton, Qt::LeftButton);
    moveWithButtons(QPoint(-7, 3), Qt::LeftButton);
    QCOMPARE(form_->statusText(1), QStringLiteral(" X -1  Y 0"));
    release(QPoint(-7, 3), Qt::LeftButton, Qt::NoButton);
}

void EditViewTest::rectangleDragThroughWidget()
{
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("Rect1")), Qt::LeftButton);
    press(cell(2, 2), Qt::LeftButton, Qt::LeftButton);
    moveWithButtons(cell(4, 4), Qt::LeftButton);
    moveWithButtons(cell(5, 4), Qt::LeftButton);
    release(cell(5, 4), Qt::LeftButton, Qt::NoButton);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool onOutline = x >= 2 && x <= 5 && y >= 2 && y <= 4 && (x == 2 || x == 5 || y == 2 || y == 4);
            QCOMPARE(pixel(x, y), onOutline ? Color(0xFF0000) : kWhite);
        }
}

void EditViewTest::leftDragLeavingViewStillPaintsFoldedColumn()
{
    press(cell(3, 3), Qt::LeftButton, Qt::LeftButton);
    moveWithButtons(QPoint(-5, 9), Qt::LeftButton);
    QCOMPARE(pixel(0, 1), Color(0xFF0000));
    moveWithButtons(QPoint(-6, 15), Qt::LeftButton);
    QCOMPARE(pixel(0, 2), kWhite);
    release(QPoint(-6, 15), Qt::LeftButton, Qt::NoButton);
}

void EditViewTest::rightDragReleasedOutsideIsNotSeen()
{
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("Rect1")), Qt::LeftButton);
    press(cell(2, 2), Qt::RightButton, Qt::RightButton);
    moveWithButtons(cell(5, 5), Qt::RightButton);
    // Outside the view, neither the move nor the release is the view's.
    moveWithButtons(QPoint(-50, -50), Qt::RightButton);
    release(QPoint(-50, -50), Qt::RightButton, Qt::NoButton);
    // The outline stays in the document, but the views were not rebuilt.
    QCOMPARE(pixel(2, 2), Color(0x0000FF));
    QCOMPARE(pixel(5, 5), Color(0x0000FF));
    QCOMPARE(form_->canvas().colorPreview.pixel(2, 2), kBlack);
    QCOMPARE(form_->statusText(1), QStringLiteral(" X 5  Y 5"));
}

void EditViewTest::rightPressBesideViewThenMovesOverItPaint()
{
    // Through the window system, so that Qt hands every later move to the
    // widget pressed on: the back panel beside the view.
    QWindow* window = form_->windowHandle();
    const auto at = [this](QWidget* widget, QPoint p) { return widget->mapTo(form_.get(), p); };
    QWidget* panel = form_->findChild<QWidget*>(QStringLiteral("Panel1"));
    QTest::mousePress(window, Qt::RightButton, {}, at(panel, QPoint(20, 20)));
    QTest::mouseMove(window, at(im1(), cell(4, 4)));
    QTest::mouseMove(window, at(im1(), cell(5, 4)));
    QVERIFY(form_->canvas().document().ImageModified);
    QTest::mouseRelease(window, Qt::RightButton, {}, at(im1(), cell(5, 4)));
    QCOMPARE(pixel(4, 4), Color(0x0000FF));
    QCOMPARE(pixel(5, 4), Color(0x0000FF));
    QCOMPARE(form_->statusText(1), QStringLiteral(" X 5  Y 4"));
    // No press on the view: no rescue step, but the change is unsaved work.
    QCOMPARE(form_->rescueHistory().FRescueCount, 0);
    QVERIFY(form_->canvas().document().ImageModified);
}

void EditViewTest::pressOutsideViewIsNotTheViews()
{
    // While the right button is held, Qt hands the view a left press made
    // anywhere; outside the view it is not a press on the view.
    press(cell(2, 2), Qt::RightButton, Qt::RightButton);
    press(QPoint(-40, 10), Qt::LeftButton, Qt::RightButton | Qt::LeftButton);
    QCOMPARE(form_->rescueHistory().FRescueCount, 1);
    moveWithButtons(QPoint(-30, 10), Qt::RightButton | Qt::LeftButton);
    release(QPoint(-30, 10), Qt::LeftButton, Qt::RightButton);
    // Neither the move nor the release out there reached the view.
    QCOMPARE(form_->statusText(1), QStringLiteral(" X 2  Y 2"));
    // The views were not rebuilt by that release: the preview still lacks
    // the cell painted by the right press.
    QCOMPARE(form_->canvas().colorPreview.pixel(2, 2), kBlack);
    release(cell(2, 2), Qt::RightButton, Qt::NoButton);
    QCOMPARE(pixel(2, 2), Color(0x0000FF));
    QCOMPARE(form_->canvas().colorPreview.pixel(2, 2), Color(0x0000FF));
}

void EditViewTest::doubleClickPaintsOnlyFirstPress()
{
    // Through the window system: press, release, press (the second of a
    // double-click), release. Two presses, two rescue steps, and the first
    // press painted.
    QTest::mouseDClick(form_->windowHandle(), Qt::LeftButton, {}, im1()->mapTo(form_.get(), cell(7, 7)));
    QCOMPARE(pixel(7, 7), Color(0xFF0000));
    QCOMPARE(form_->rescueHistory().FRescueCount, 2);
    QVERIFY(form_->canvas().document().ImageModified);

    // The second press alone paints nothing.
    press(cell(11, 11), Qt::LeftButton, Qt::LeftButton);
    release(cell(11, 11), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(pixel(11, 11), Color(0xFF0000));
    form_->canvas().document().strokePixels().setPixel(11, 11, kWhite);
    QMouseEvent second(QEvent::MouseButtonDblClick, cell(11, 11), im1()->mapToGlobal(cell(11, 11)), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(im1(), &second);
    QCOMPARE(pixel(11, 11), kWhite);
    QCOMPARE(form_->rescueHistory().FRescueCount, 4);
    release(cell(11, 11), Qt::LeftButton, Qt::NoButton);
}

void EditViewTest::middleAndModifiedPressesTakeRescueStep()
{
    QTest::mouseClick(im1(), Qt::MiddleButton, {}, cell(1, 1));
    QTest::mouseClick(im1(), Qt::LeftButton, Qt::ShiftModifier, cell(2, 2));
    QTest::mouseClick(im1(), Qt::LeftButton, Qt::ControlModifier, cell(3, 3));
    QCOMPARE(pixel(1, 1), kWhite);
    QCOMPARE(pixel(2, 2), kWhite);
    QCOMPARE(pixel(3, 3), kWhite);
    QCOMPARE(form_->rescueHistory().FRescueCount, 3);
    QVERIFY(form_->actions()->ActUndo->isEnabled());
    QVERIFY(form_->canvas().document().ImageModified);
}

void EditViewTest::pickerSetsColourBoxes()
{
    form_->canvas().document().strokePixels().setPixel(2, 2, 0x00FF00);
    form_->RefreshAfterEdit();
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("Spoide1")), Qt::LeftButton);
    QTest::mouseClick(im1(), Qt::LeftButton, {}, cell(2, 2));
    QCOMPARE(form_->leftColor(), Color(0x00FF00));
    QTest::mouseClick(im1(), Qt::RightButton, {}, QPoint(12, 14));
    QCOMPARE(form_->rightColor(), kBlack);
    const QWidget* box = form_->findChild<QWidget*>(QStringLiteral("RColor"));
    QCOMPARE(box->palette().color(QPalette::Base), QColor(0, 0, 0));
}

void EditViewTest::rescueThroughCommand()
{
    QTest::mouseClick(im1(), Qt::LeftButton, {}, cell(1, 1));
    QTest::mouseClick(im1(), Qt::LeftButton, {}, cell(2, 2));
    QAction* undo = form_->actions()->ActUndo;
    QVERIFY(undo->isEnabled());
    QTest::keyClick(form_.get(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(pixel(2, 2), kWhite);
    QCOMPARE(pixel(1, 1), Color(0xFF0000));
    QVERIFY(undo->isEnabled());
    undo->trigger();
    QCOMPARE(pixel(1, 1), kWhite);
    QVERIFY(!undo->isEnabled());
    QVERIFY(form_->canvas().document().ImageModified);
    // The colours are not part of the history.
    QCOMPARE(form_->leftColor(), Color(0xFF0000));
    QCOMPARE(form_->rightColor(), Color(0x0000FF));
    QCOMPARE(form_->canvas().settings.BackPanelColor, Color(0x008000));
}

void EditViewTest::rescueShortcutDisabledAtStart()
{
    QVERIFY(!form_->actions()->ActUndo->isEnabled());
    PixelBuffer picture(32, 32, kWhite);
    picture.setPixel(5, 5, kBlack);
    form_->canvas().document().open(picture, {});
    QTest::keyClick(form_.get(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(pixel(5, 5), kBlack);
    QVERIFY(!form_->canvas().document().ImageModified);
}

QTEST_MAIN(EditViewTest)
#include "tst_edit_view.moc"
