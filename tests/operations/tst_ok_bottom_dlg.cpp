#include "operations/ok_bottom_dlg.h"
#include "platform/interface_font.h"
#include "support/find_child.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace pimoko;

// The enlarge/reduce dialog: its fixed layout, the numbers it shows on
// opening and on a choice, and what OK, Cancel, Esc, Enter and the close box
// report.
class OKBottomDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fixedModelessDialog();
    void controls_data();
    void controls();
    void numbersOnOpening_data();
    void numbersOnOpening();
    void closing_data();
    void closing();

private:
    QStringList boxes() const
    {
        QStringList texts;
        for (const char* name : {"Edit4", "Edit5", "Edit6", "Edit7"})
            texts << findNamedChild<QLineEdit>(dialog_.get(), name)->text();
        return texts;
    }
    QRadioButton* item(int index) const
    {
        return findNamedChild<QRadioButton>(dialog_.get(), qPrintable(QStringLiteral("RadioGroup1Item%1").arg(index)));
    }
    int checkedItem() const
    {
        for (int index = 0; index < 4; ++index)
            if (item(index)->isChecked())
                return index;
        return -1;
    }
    void clickItem(int index)
    {
        QTest::mouseClick(item(index), Qt::LeftButton, {}, QPoint(6, item(index)->height() / 2));
    }

    std::unique_ptr<TOKBottomDlg> dialog_;
};

void OKBottomDlgTest::init()
{
    dialog_ = std::make_unique<TOKBottomDlg>();
}

void OKBottomDlgTest::cleanup()
{
    dialog_.reset();
}

void OKBottomDlgTest::fixedModelessDialog()
{
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("　ピモコ　　ルポミ舎　　　拡大・縮小"));
    QCOMPARE(dialog_->size(), QSize(227, 232));
    QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());
    QVERIFY(!dialog_->isModal());
    QVERIFY(!dialog_->isVisible());
    dialog_->showFor(32, 32);
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    const QPoint screenCentre = dialog_->screen()->availableGeometry().center();
    QVERIFY((dialog_->geometry().center() - screenCentre).manhattanLength() <= 8);
    // Moved away and closed, it opens at the centre again.
    dialog_->move(0, 0);
    dialog_->CancelBtnClick();
    dialog_->showFor(32, 32);
    QVERIFY((dialog_->geometry().center() - screenCentre).manhattanLength() <= 8);
}

void OKBottomDlgTest::controls_data()
{
    // Auto-sized labels (size -1) are checked by position only, the items of
    // the group (no geometry) by where they lie.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label1") << "Label1" << QRect(55, 14, -1, -1) << "ピクセル" << 12 << true;
    QTest::newRow("Label2") << "Label2" << QRect(150, 15, -1, -1) << "X" << 15 << true;
    QTest::newRow("Label3") << "Label3" << QRect(150, 45, -1, -1) << "X" << 15 << true;
    QTest::newRow("Label4") << "Label4" << QRect(40, 45, -1, -1) << "ミリメートル" << 12 << true;
    QTest::newRow("Edit4") << "Edit4" << QRect(110, 10, 30, 24) << "0" << 16 << true;
    QTest::newRow("Edit5") << "Edit5" << QRect(170, 10, 30, 24) << "0" << 16 << true;
    QTest::newRow("Edit6") << "Edit6" << QRect(110, 40, 30, 24) << "0" << 16 << true;
    QTest::newRow("Edit7") << "Edit7" << QRect(170, 40, 30, 24) << "0" << 16 << true;
    QTest::newRow("RadioGroup1") << "RadioGroup1" << QRect(10, 80, 200, 100) << "　サイズの選択　" << 12 << false;
    QTest::newRow("item 0") << "RadioGroup1Item0" << QRect() << "16 x 16 【ボタン用ビットマップ】" << 12 << false;
    QTest::newRow("item 1") << "RadioGroup1Item1" << QRect() << "20 x 20 【ビットマップアイコン】" << 12 << false;
    QTest::newRow("item 2") << "RadioGroup1Item2" << QRect() << "32 x 32 【現在のアイコン】" << 12 << false;
    QTest::newRow("item 3") << "RadioGroup1Item3" << QRect() << "64 x 64 【未来のアイコン？】 " << 12 << false;
    QTest::newRow("OKBtn") << "OKBtn" << QRect(14, 192, 75, 25) << "OK" << 12 << false;
    QTest::newRow("CancelBtn") << "CancelBtn" << QRect(134, 192, 75, 25) << "キャンセル" << 12 << false;
}

void OKBottomDlgTest::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    auto* widget = findNamedChild(dialog_.get(), qPrintable(name));
    if (geometry.isNull())
        QCOMPARE(widget->parentWidget()->objectName(), QStringLiteral("RadioGroup1"));
    else if (geometry.width() < 0)
        QCOMPARE(widget->pos(), geometry.topLeft());
    else
        QCOMPARE(widget->geometry(), geometry);

    const QString shown = widget->property(widget->inherits("QGroupBox") ? "title" : "text").toString();
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        QVERIFY(box->isReadOnly());
        QCOMPARE(box->focusPolicy(), Qt::NoFocus);
        QCOMPARE(box->palette().color(QPalette::Base), box->palette().color(QPalette::Button));
    }
    QCOMPARE(shown, text);
    QCOMPARE(widget->font().family(), uiFontFamily());
    QCOMPARE(widget->font().pixelSize(), pixelSize);
    QCOMPARE(widget->font().bold(), bold);
}

void OKBottomDlgTest::numbersOnOpening_data()
{
    // Sizes the dialog is opened for in turn (closed by Cancel between).
    QTest::addColumn<QList<QSize>>("openings");
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("at creation") << QList<QSize>{} << 0 << QStringList{"0", "0", "0", "0"};
    QTest::newRow("32 x 32") << QList<QSize>{{32, 32}} << 2 << QStringList{"32", "32", "9", "9"};
    QTest::newRow("64 x 64") << QList<QSize>{{64, 64}} << 3 << QStringList{"64", "64", "18", "18"};
    QTest::newRow("other size first") << QList<QSize>{{40, 30}} << 0 << QStringList{"0", "0", "0", "0"};
    QTest::newRow("other size keeps last") << QList<QSize>{{64, 64}, {40, 40}} << 3
                                           << QStringList{"64", "64", "18", "18"};
    QTest::newRow("back to a known size") << QList<QSize>{{64, 64}, {16, 16}} << 0 << QStringList{"16", "16", "4", "4"};
}

void OKBottomDlgTest::numbersOnOpening()
{
    QFETCH(QList<QSize>, openings);
    QFETCH(int, item);
    QFETCH(QStringList, numbers);
    for (const QSize size : openings) {
        dialog_->showFor(size.width(), size.height());
        QVERIFY(dialog_->isVisible());
        QTest::mouseClick(findNamedChild(dialog_.get(), "CancelBtn"), Qt::LeftButton);
        QVERIFY(!dialog_->isVisible());
    }
    QCOMPARE(checkedItem(), item);
    QCOMPARE(boxes(), numbers);
}

void OKBottomDlgTest::closing_data()
{
    // Opened on 32 x 32; an item clicked (-1: none) or keys typed, the boxes
    // then shown, and the sides reported on closing.
    QTest::addColumn<int>("item");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("reported");
    const QList<int> none;
    QTest::newRow("OK on the size shown") << -1 << none << QStringList{"32", "32", "9", "9"} << "OK" << QList<int>{32};
    QTest::newRow("OK after picking 64") << 3 << none << QStringList{"64", "64", "18", "18"} << "OK" << QList<int>{64};
    QTest::newRow("OK after picking 16") << 0 << none << QStringList{"16", "16", "4", "4"} << "OK" << QList<int>{16};
    QTest::newRow("Enter after picking 20") << 1 << none << QStringList{"20", "20", "5", "5"} << "Enter" << QList<int>{20};
    QTest::newRow("Down from the size shown") << -1 << QList<int>{Qt::Key_Down} << QStringList{"64", "64", "18", "18"}
                                              << "Enter" << QList<int>{64};
    QTest::newRow("Up, away and back, Space") << -1 << QList<int>{Qt::Key_Up, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Space}
                                              << QStringList{"20", "20", "5", "5"} << "Enter" << QList<int>{20};
    QTest::newRow("Cancel") << 3 << none << QStringList{"64", "64", "18", "18"} << "Cancel" << QList<int>{};
    QTest::newRow("Esc") << 3 << none << QStringList{"64", "64", "18", "18"} << "Esc" << QList<int>{};
    QTest::newRow("close box") << 3 << none << QStringList{"64", "64", "18", "18"} << "close" << QList<int>{};
}

void OKBottomDlgTest::closing()
{
    QFETCH(int, item);
    QFETCH(QList<int>, keys);
    QFETCH(QStringList, numbers);
    QFETCH(QString, how);
    QFETCH(QList<int>, reported);
    QSignalSpy chosen(dialog_.get(), &TOKBottomDlg::sizeChosen);
    dialog_->showFor(32, 32);
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    if (item >= 0)
        clickItem(item);
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    dialog_->showFor(32, 32);  // already shown: changes nothing
    QCOMPARE(boxes(), numbers);
    QCOMPARE(QString::number(canvasSizeOfItem(checkedItem())), numbers.first());
    if (how == QLatin1String("OK"))
        QTest::mouseClick(findNamedChild(dialog_.get(), "OKBtn"), Qt::LeftButton);
    else if (how == QLatin1String("Cancel"))
        QTest::mouseClick(findNamedChild(dialog_.get(), "CancelBtn"), Qt::LeftButton);
    else if (how == QLatin1String("Enter"))
        QTest::keyClick(dialog_.get(), Qt::Key_Return);
    else if (how == QLatin1String("Esc"))
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    else
        dialog_->close();
    QVERIFY(!dialog_->isVisible());
    QList<int> sides;
    for (const QList<QVariant>& call : chosen)
        sides << call.at(0).toInt();
    QCOMPARE(sides, reported);
}

QTEST_MAIN(OKBottomDlgTest)
#include "tst_ok_bottom_dlg.moc"
