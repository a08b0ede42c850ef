#include "app/about_box.h"
#include "app/action_list.h"
#include "app/pimo_form.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"
#include "platform/dialogs.h"
#include "platform/pixel_image.h"
#include "support/find_child.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QTimer>
#include <QtTest>

using namespace pimoko;

namespace {

// Answers the colour dialog from a script and records what it was opened on.

struct MenuItem {
    QString text;
    QString shortcut;
    bool hasIcon;
};

QList<MenuItem> itemsOf(const QMenu* menu)
{
    QList<MenuItem> items;
    for (const QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        items.append({action->isSeparator() ? QStringLiteral("-") : action->text(),
                      action->shortcut().toString(QKeySequence::PortableText), !action->icon().isNull()});
    }
    return items;
}

} // namespace

// Commands, menus, shortcuts, hints, the about box and the colour controls
// of the main window.
class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuStructure_data();
    void menuStructure();
    void commandCaptionsHintsAndGlyphs_data();
    void commandCaptionsHintsAndGlyphs();
    void toolbarColumnOrder();
    void cursorCommandNeverShown();
    void undoGreyedWhileDisabled();
    void newImageEmptiesHistoryUnmodified();
    void shortcutRunsSameHandlerAsMenu();
    void shortcutsWorkWhileAboutBoxHasFocus();
    void shortcutsBlockedByModalDialog();
    void menuHighlightShowsLongHint();
    void noContextMenus();
    void aboutBoxIsModelessAndStaysPut();
    void aboutBoxEnterClosesEscDoesNot();
    void aboutBoxContents();
    void aboutBoxComesToTheFront();
    void exitEndsTheProgramWithAboutBoxOpen();
    void paletteChoosesPenColours();
    void paletteReplacesPickedColour();
    void backPanelColourDialog();
    void backPanelDialogCancelled();
    void sizeBoxClickOpensColourDialog();

private:
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        return findNamedChild<T>(form_.get(), name);
    }
    QMenu* menu(const char* name) const { return child<QMenu>(name); }

    PrivateHome home_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TPimoForm1> form_;
};

void CommandsTest::init()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TPimoForm1>(std::move(dialogs));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void CommandsTest::cleanup() { form_.reset(); }

void CommandsTest::menuStructure_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("file") << "File1" << "ファイル"
                          << QStringList{"新規作成(&N)|Ctrl+N", "-", "開く(&O)|Ctrl+O", "-", "保存(&S)|Ctrl+S",
                                         "名前を付けて保存|", "-", "印刷(&P)|Ctrl+P", "-", "終了(&X)|"};
    QTest::newRow("edit") << "Edit1" << "編集"
                          << QStringList{"キャンバスのサイズ変更|", "-", "レスキュー(&U)|Ctrl+U", "-",
                                         "バックパネルの色変更|"};
    QTest::newRow("view") << "N10" << "表示" << QStringList{"回転|", "-", "左右反転|", "上下反転|"};
    QTest::newRow("help") << "Help1" << "ヘルプ" << QStringList{"バージョン情報|"};
}

void CommandsTest::menuStructure()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    const QMenu* m = form_->findChild<QMenu*>(menu);
    QVERIFY(m);
    QCOMPARE(m->title(), title);
    QStringList actual;
    for (const MenuItem& item : itemsOf(m))
        actual.append(item.text == "-" ? item.text : item.text + "|" + item.shortcut);
    QCOMPARE(actual, items);
    // Every item but the version item shows its glyph.
    for (const MenuItem& item : itemsOf(m))
        if (item.text != "-" && item.text != QStringLiteral("バージョン情報"))
            QVERIFY2(item.hasIcon, qPrintable(item.text));
    // The menu bar shows the four menus in this order.
    QStringList titles;
    for (QAction* action : form_->menuBar()->actions())
        titles.append(action->text());
    QCOMPARE(titles, (QStringList{"ファイル", "編集", "表示", "ヘルプ"}));
}

void CommandsTest::commandCaptionsHintsAndGlyphs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("new") << "ActNew" << "新規作成" << "新規作成状態にします。";
    QTest::newRow("open") << "ActOpen" << "開く" << "ファイルを読み込んで開きます。";
    QTest::newRow("save") << "ActSave" << "保存" << "現在のファイルに上書き保存します。";
    QTest::newRow("save as") << "ActSaveAs" << "名前を付けて保存" << "この画像に名前を付けて指定された場所に保存します。";
    QTest::newRow("print") << "ActPrint" << "印刷" << "この画像を印刷します。";
    QTest::newRow("exit") << "ActExit" << "終了" << "このプログラムを終了します。";
    QTest::newRow("undo") << "ActUndo" << "レスキュー" << "一回前の操作状態に戻します。";
    QTest::newRow("size") << "ActSize" << "サイズ変更" << "キャンバスのサイズを変更できます。";
    QTest::newRow("bc") << "ActBC" << "パネル色変更" << "バックパネルの色を変更します";
    QTest::newRow("cursor") << "ActMakeCursor" << "カーソル作成" << "カーソル作成モードにします";
    QTest::newRow("90") << "Act90" << "回転" << "画像を右に90度回転します";
    QTest::newRow("rl") << "ActHantenRL" << "左右反転" << "画像左右を反転します";
    QTest::newRow("tb") << "ActHantenTB" << "上下反転" << "画像の上下を反転します";
}

void CommandsTest::commandCaptionsHintsAndGlyphs()
{
    QFETCH(QString, name);
    QFETCH(QString, tooltip);
    QFETCH(QString, statusTip);
    const QAction* action = form_->actions()->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->toolTip(), tooltip);
    QCOMPARE(action->statusTip(), statusTip);
    QVERIFY(!action->icon().isNull());
}

void CommandsTest::toolbarColumnOrder()
{
    const QStringList order{"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5", "Pen1",
                            "Line1",       "Ellipse1",    "Rect1",       "RRect1",      "Spoide1",     "Paint1",
                            "Kaiten90",    "HantenLR1",   "HantenTB1",   "Size1"};
    for (int i = 0; i < order.size(); ++i) {
        auto* button = form_->findChild<QToolButton*>(order[i]);
        QVERIFY2(button, qPrintable(order[i]));
        QCOMPARE(button->geometry(), QRect(0, 22 * i, 23, 22));
        QVERIFY(button->isVisible());
        QVERIFY(!button->icon().isNull());
        QVERIFY(!button->toolTip().isEmpty());
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }
    QCOMPARE(child<QToolButton>("ToolButton1")->defaultAction(), form_->actions()->ActNew);
    QCOMPARE(child<QToolButton>("Size1")->defaultAction(), form_->actions()->ActSize);
}

void CommandsTest::cursorCommandNeverShown()
{
    QVERIFY(!form_->actions()->ActMakeCursor->isVisible());
    QVERIFY(!child("ToolButton6")->isVisible());
    for (QMenu* m : form_->findChildren<QMenu*>())
        for (const MenuItem& item : itemsOf(m))
            QVERIFY(item.text != QStringLiteral("カーソル作成"));
}

void CommandsTest::undoGreyedWhileDisabled()
{
    QAction* undo = form_->actions()->ActUndo;
    QVERIFY(!undo->isEnabled());
    QVERIFY(!child("ToolButton5")->isEnabled());
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(undo->isEnabled());
    QVERIFY(child("ToolButton5")->isEnabled());
    // Clicking the button rescues; it greys again when nothing is left.
    QTest::mouseClick(child("ToolButton5"), Qt::LeftButton);
    QCOMPARE(form_->canvas().actualSize().pixel(0, 0), kWhite);
    QVERIFY(!child("ToolButton5")->isEnabled());
}

void CommandsTest::newImageEmptiesHistoryUnmodified()
{
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, QPoint(3, 3));
    dialogs_->saveAnswers.push_back(SaveAnswer::No);
    form_->actions()->ActNew->trigger();
    QVERIFY(!form_->rescueHistory().canRescue());
    QVERIFY(!form_->actions()->ActUndo->isEnabled());
    QVERIFY(!form_->canvas().document().ImageModified);
}

void CommandsTest::shortcutRunsSameHandlerAsMenu()
{
    QAction* newCommand = form_->actions()->ActNew;
    QCOMPARE(newCommand->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QSignalSpy runs(newCommand, &QAction::triggered);
    QTest::keyClick(form_.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(runs.count(), 1);
    // The menu item is the same action.
    QVERIFY(menu("File1")->actions().contains(newCommand));
    menu("File1")->actions().first()->trigger();
    QCOMPARE(runs.count(), 2);
    // Disabled: neither the shortcut nor the item runs it.
    newCommand->setEnabled(false);
    QTest::keyClick(form_.get(), Qt::Key_N, Qt::ControlModifier);
    menu("File1")->actions().first()->trigger();
    QCOMPARE(runs.count(), 2);
}

void CommandsTest::shortcutsWorkWhileAboutBoxHasFocus()
{
    form_->ActAboutExecute();
    TAboutBox* box = form_->aboutBox();
    QVERIFY(box && box->isVisible());
    box->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(box));
    QSignalSpy saves(form_->actions()->ActSave, &QAction::triggered);
    dialogs_->saveChoices.push_back(std::nullopt);
    QTest::keyClick(box, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(saves.count(), 1);
    QVERIFY(box->isVisible());
}

void CommandsTest::shortcutsBlockedByModalDialog()
{
    QDialog modal;
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&modal));
    QSignalSpy runs(form_->actions()->ActNew, &QAction::triggered);
    QTest::keyClick(&modal, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(form_.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(runs.count(), 0);
    modal.close();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClick(form_.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(runs.count(), 1);
}

void CommandsTest::menuHighlightShowsLongHint()
{
    // Opened from the menu bar, as the user does.
    QMenu* help = menu("Help1");
    form_->menuBar()->setActiveAction(help->menuAction());
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QAction* about = help->actions().first();
    QCOMPARE(about->objectName(), QStringLiteral("ActAbout1"));
    help->setActiveAction(about);
    QCOMPARE(form_->statusText(0), QStringLiteral("バージョン情報を表示します。"));
    help->close();

    QMenu* file = menu("File1");
    form_->menuBar()->setActiveAction(file->menuAction());
    QVERIFY(QTest::qWaitForWindowExposed(file));
    file->setActiveAction(form_->actions()->ActExit);
    QCOMPARE(form_->statusText(0), QStringLiteral("このプログラムを終了します。"));
    file->close();
}

void CommandsTest::noContextMenus()
{
    for (const char* name : {"ColorGrid1", "LColor", "RColor", "size", "Panel3", "Panel1"})
        QCOMPARE(child(name)->contextMenuPolicy(), Qt::PreventContextMenu);
    // A right click on the editing view draws instead of opening a menu.
    QTest::mouseClick(child("Im1"), Qt::RightButton, {}, QPoint(9, 9));
    QCOMPARE(form_->canvas().actualSize().pixel(1, 1), Color(0x0000FF));
    QVERIFY(!QApplication::activePopupWidget());
}

void CommandsTest::aboutBoxIsModelessAndStaysPut()
{
    form_->ActAboutExecute();
    TAboutBox* box = form_->aboutBox();
    QVERIFY(box->isVisible());
    QVERIFY(!box->isModal());
    QCOMPARE(box->size(), QSize(273, 195));
    QCOMPARE(box->windowTitle(), QStringLiteral("バージョン情報"));
    box->move(10, 20);
    const QPoint where = box->pos();
    // The menu item runs the same command, which leaves an open box alone.
    menu("Help1")->actions().first()->trigger();
    QCOMPARE(box->pos(), where);
    QVERIFY(box->isVisible());
    // The main window stays usable.
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(form_->canvas().actualSize().pixel(0, 0), Color(0xFF0000));
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    QVERIFY(!box->isVisible());
}

void CommandsTest::aboutBoxEnterClosesEscDoesNot()
{
    form_->ActAboutExecute();
    TAboutBox* box = form_->aboutBox();
    box->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(box));
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(box->isVisible());
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!box->isVisible());
    form_->ActAboutExecute();
    QVERIFY(box->isVisible());
    box->close();
    QVERIFY(!box->isVisible());
}

void CommandsTest::aboutBoxContents()
{
    form_->ActAboutExecute();
    TAboutBox* box = form_->aboutBox();
    const auto label = [&](const char* name) { return box->findChild<QLabel*>(QString::fromLatin1(name)); };
    QCOMPARE(label("ProductName")->text(), QStringLiteral("ピモコ"));
    QCOMPARE(label("ProductName")->pos(), QPoint(81, 10));
    QCOMPARE(fromQColor(label("ProductName")->palette().color(QPalette::WindowText)), Color(0x0000FF));
    QCOMPARE(label("Version")->text(), QStringLiteral("バージョン 1.8"));
    QCOMPARE(fromQColor(label("Version")->palette().color(QPalette::WindowText)), Color(0xFF0000));
    QCOMPARE(label("Comments")->text(), QStringLiteral("オリジナルアイコンを沢山作ってパソコンをカスタマイズしよう！"));
    QCOMPARE(label("Comments")->geometry(), QRect(30, 95, 162, 24));
    QVERIFY(label("ProgramIcon")->pixmap().size() == QSize(60, 53));
    auto* ok = box->findChild<QPushButton*>(QStringLiteral("OKButton"));
    QCOMPARE(ok->geometry(), QRect(102, 165, 69, 23));
    QVERIFY(ok->isDefault());
}

void CommandsTest::aboutBoxComesToTheFront()
{
    form_->ActAboutExecute();
    TAboutBox* box = form_->aboutBox();
    // Window managers keep a box above the window it belongs to.
    QCOMPARE(box->windowHandle()->transientParent(), form_->windowHandle());
    QVERIFY(QTest::qWaitForWindowActive(box));
    box->hide();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    form_->ActAboutExecute();
    QVERIFY(QTest::qWaitForWindowActive(box));
}

void CommandsTest::exitEndsTheProgramWithAboutBoxOpen()
{
    form_->ActAboutExecute();
    QVERIFY(form_->aboutBox()->isVisible());
    bool stillRunning = false;
    QTimer::singleShot(0, form_.get(), [this] { form_->ActExitExecute(); });
    QTimer::singleShot(3000, qApp, [&stillRunning] {
        stillRunning = true;
        QCoreApplication::quit();
    });
    QApplication::exec();
    QVERIFY(!stillRunning);
}

void CommandsTest::paletteChoosesPenColours()
{
    QWidget* grid = child("ColorGrid1");
    // Cell 9 is red: row 4, right column.
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(45, 4 * 25 + 12));
    QCOMPARE(form_->leftColor(), Color(0x0000FF));
    QCOMPARE(form_->rightColor(), Color(0x0000FF));
    QCOMPARE(child<QLineEdit>("LColor")->palette().color(QPalette::Base), QColor(0xFF, 0, 0));
    // Right click on cell 12 (blue).
    QTest::mouseClick(grid, Qt::RightButton, {}, QPoint(15, 6 * 25 + 12));
    QCOMPARE(form_->rightColor(), Color(0xFF0000));
    // The left colour draws.
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(form_->canvas().actualSize().pixel(0, 0), Color(0x0000FF));
    // A middle click changes nothing.
    QTest::mouseClick(grid, Qt::MiddleButton, {}, QPoint(15, 12));
    QCOMPARE(form_->leftColor(), Color(0x0000FF));
}

void CommandsTest::paletteReplacesPickedColour()
{
    QWidget* grid = child("ColorGrid1");
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(45, 4 * 25 + 12));  // FG on red
    form_->setLeftColor(0x123456);  // as the colour picker would
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(45, 4 * 25 + 12));
    QCOMPARE(form_->leftColor(), Color(0x0000FF));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(45, 4 * 25 + 12));
    QCOMPARE(form_->leftColor(), Color(0x0000FF));
}

void CommandsTest::backPanelColourDialog()
{
    form_->canvas().document().strokePixels().setPixel(5, 5, kBlack);
    form_->RefreshAfterEdit();
    const bool modified = form_->canvas().document().ImageModified;
    dialogs_->nextColor = 0x808080;
    form_->actions()->ActBC->trigger();
    QCOMPARE(dialogs_->openedOn, QList<Color>{kBlack});
    QCOMPARE(form_->canvas().settings.BackPanelColor, Color(0x808080));
    QCOMPARE(fromQColor(child("ANDLabel")->palette().color(QPalette::WindowText)), Color(0x7F7F7F));
    QCOMPARE(form_->canvas().resultPreview.pixel(0, 0), Color(0x808080));
    QCOMPARE(form_->canvas().resultPreview.pixel(5, 5), kBlack);
    QCOMPARE(form_->canvas().document().ImageModified, modified);
    // Next time the dialog opens on the colour last chosen in it.
    dialogs_->nextColor = 0x000000;
    form_->actions()->ActBC->trigger();
    QCOMPARE(dialogs_->openedOn.last(), Color(0x808080));
    QCOMPARE(fromQColor(child<QLineEdit>("size")->palette().color(QPalette::Text)), kWhite);
}

void CommandsTest::backPanelDialogCancelled()
{
    dialogs_->nextColor.reset();
    form_->actions()->ActBC->trigger();
    QCOMPARE(form_->canvas().settings.BackPanelColor, Color(0x008000));
    QCOMPARE(dialogs_->openedOn.size(), 1);
}

void CommandsTest::sizeBoxClickOpensColourDialog()
{
    // With the previews hidden the result preview still follows.
    form_->ActSize1Execute();
    dialogs_->nextColor = 0xFF00FF;
    QTest::mouseClick(child("size"), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(dialogs_->openedOn.size(), 1);
    QCOMPARE(form_->canvas().settings.BackPanelColor, Color(0xFF00FF));
    QCOMPARE(form_->canvas().resultPreview.pixel(0, 0), Color(0xFF00FF));
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
