#include "app/action_list.h"
#include "app/pimo_form.h"
#include "editor/pixel_view.h"
#include "platform/interface_font.h"
#include "platform/pixel_image.h"
#include "support/find_child.h"
#include "support/private_home.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace pimoko;

// The main window: its fixed layout, the start-up state, the canvas size
// commands, the back-panel colours, tool selection and the tool cursors.
class PimoFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowIsFixedSizeWithCaption();
    void layoutAtStartUp_data();
    void layoutAtStartUp();
    void startState();
    void fontsAtStartUp();
    void sizeCommands_data();
    void sizeCommands();
    void sizeCommandOnModifiedNamedDocument();
    void backPanelColours_data();
    void backPanelColours();
    void toolButtonSelectsToolAndCursor();
    void canvasRebuildKeepsTool();
    void cursorsMissingGiveArrow();
    void cursorsPresentAreUsed();
    void statusHints();
    void controlHints_data();
    void controlHints();
    void pointerOverControlsSetsStatusText();
    void exitButtonHasFocusAndCloses();
    void enterOnExitButtonCloses();
    void viewsShowCanvasPixels();
    void newImageStartsWithoutRescueSteps();
    void commandLineFileOpensOnceWindowIsOnScreen();
    void startUpLeavesUnusedLibrariesUnloaded();

private:
    // The recovery copies of the windows' drawings land here.
    PrivateHome home_;
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        return findNamedChild<T>(form_.get(), name);
    }

    std::unique_ptr<TPimoForm1> form_;
    QString savedCurrentDir_;
    const QFont desktopFont_ = QGuiApplication::font();  // before any window
};

void PimoFormTest::init()
{
    savedCurrentDir_ = QDir::currentPath();
    form_ = std::make_unique<TPimoForm1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void PimoFormTest::cleanup()
{
    form_.reset();
    QDir::setCurrent(savedCurrentDir_);
}

void PimoFormTest::windowIsFixedSizeWithCaption()
{
    QCOMPARE(form_->windowTitle(), QStringLiteral(" ピモコ   ルポミ舎     　新規画像"));
    QCOMPARE(form_->centralWidget()->size(), QSize(505, 413));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    QCOMPARE(form_->height(), 413 + form_->menuBar()->height());
    QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form_->windowFlags() & Qt::WindowMinimizeButtonHint);
    // Placed at the centre of the screen (give or take the window frame).
    const QPoint screenCentre = form_->screen()->availableGeometry().center();
    QVERIFY((form_->geometry().center() - screenCentre).manhattanLength() <= 8);
}

void PimoFormTest::layoutAtStartUp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Splitter1") << "Splitter1" << QRect(0, 0, 3, 394);
    QTest::newRow("CoolBar1") << "CoolBar1" << QRect(3, 0, 108, 394);
    QTest::newRow("ToolBar1") << "ToolBar1" << QRect(0, 9, 23, 381);
    QTest::newRow("Panel2") << "Panel2" << QRect(23, 9, 76, 381);
    QTest::newRow("Panel3") << "Panel3" << QRect(2, 2, 72, 72);
    QTest::newRow("Im2") << "Im2" << QRect(20, 20, 32, 32);
    QTest::newRow("size") << "size" << QRect(8, 80, 60, 21);
    QTest::newRow("LColor") << "LColor" << QRect(9, 110, 25, 23);
    QTest::newRow("RColor") << "RColor" << QRect(40, 110, 25, 23);
    QTest::newRow("ColorGrid1") << "ColorGrid1" << QRect(8, 140, 60, 200);
    QTest::newRow("Button1") << "Button1" << QRect(8, 352, 60, 24);
    QTest::newRow("Panel1") << "Panel1" << QRect(112, 0, 394, 394);
    QTest::newRow("Im1") << "Im1" << QRect(101, 101, 192, 192);
    QTest::newRow("Label1") << "Label1" << QRect(36, 96, 64, 15);
    QTest::newRow("MaskPanel") << "MaskPanel" << QRect(106, 10, 182, 60);
    QTest::newRow("ANDPanel") << "ANDPanel" << QRect(0, 1, 40, 40);
    QTest::newRow("ORPanel") << "ORPanel" << QRect(70, 1, 40, 40);
    QTest::newRow("IMPanel") << "IMPanel" << QRect(140, 1, 40, 40);
    QTest::newRow("Im3") << "Im3" << QRect(4, 4, 32, 32);
    QTest::newRow("Im4") << "Im4" << QRect(4, 4, 32, 32);
    QTest::newRow("Im5") << "Im5" << QRect(4, 4, 32, 32);
    QTest::newRow("StatusBar1") << "StatusBar1" << QRect(0, 394, 505, 19);
    QTest::newRow("Pen1") << "Pen1" << QRect(0, 5 * 22, 23, 22);
}

void PimoFormTest::layoutAtStartUp()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QWidget* widget = form_->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
}

void PimoFormTest::startState()
{
    const Canvas& canvas = form_->canvas();
    QCOMPARE(canvas.ImageWidth(), 32);
    QCOMPARE(canvas.ImageHeight(), 32);
    QVERIFY(!canvas.document().ImageModified);
    QVERIFY(canvas.document().CurrentFileName().empty());
    QCOMPARE(canvas.settings.BackPanelColor, Color(0x008000));
    QCOMPARE(form_->leftColor(), Color(0xFF0000));
    QCOMPARE(form_->rightColor(), Color(0x0000FF));
    QCOMPARE(child<QLineEdit>("LColor")->palette().color(QPalette::Base), QColor(0, 0, 0xFF));
    QCOMPARE(child<QLineEdit>("RColor")->palette().color(QPalette::Base), QColor(0xFF, 0, 0));
    QCOMPARE(child<QLineEdit>("size")->text(), QStringLiteral(" 32 x 32"));
    QCOMPARE(form_->tool(), ToolCode::Pen);
    QVERIFY(child<QToolButton>("Pen1")->isChecked());
    QVERIFY(!form_->actions()->ActUndo->isEnabled());
    QVERIFY(form_->actions()->ActNew->isEnabled());
    QVERIFY(child("MaskPanel")->isVisible());
    QVERIFY(child("Label1")->isVisible());
    QVERIFY(form_->statusText(1).isEmpty());
}

// The read-only boxes are made with the window's font as the default, which
// must then be the desktop's again for menus and dialogs.
void PimoFormTest::fontsAtStartUp()
{
    const TPimoForm1 another;
    QCOMPARE(QGuiApplication::font(), desktopFont_);
    QCOMPARE(another.font(), uiFont(15, false));
    for (const char* box : {"LColor", "RColor"})
        QCOMPARE(findNamedChild<QLineEdit>(&another, box)->font(), uiFont(15, false));
    QCOMPARE(findNamedChild<QLineEdit>(&another, "size")->font(), uiFont(13, true));
}

void PimoFormTest::sizeCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("imageSize");
    QTest::addColumn<QRect>("im1");
    QTest::addColumn<QRect>("im2");
    QTest::addColumn<bool>("masks");
    QTest::newRow("16") << 1 << 16 << QRect(149, 149, 96, 96) << QRect(28, 28, 16, 16) << false;
    QTest::newRow("20") << 2 << 20 << QRect(137, 137, 120, 120) << QRect(26, 26, 20, 20) << false;
    QTest::newRow("32") << 3 << 32 << QRect(101, 101, 192, 192) << QRect(20, 20, 32, 32) << true;
    QTest::newRow("64") << 4 << 64 << QRect(5, 5, 384, 384) << QRect(4, 4, 64, 64) << false;
}

void PimoFormTest::sizeCommands()
{
    QFETCH(int, command);
    QFETCH(int, imageSize);
    QFETCH(QRect, im1);
    QFETCH(QRect, im2);
    QFETCH(bool, masks);
    // Start from another size so that every command really changes something.
    if (command == 3)
        form_->ActSize4Execute();
    else
        form_->ActSize3Execute();
    switch (command) {
    case 1: form_->ActSize1Execute(); break;
    case 2: form_->ActSize2Execute(); break;
    case 3: form_->ActSize3Execute(); break;
    case 4: form_->ActSize4Execute(); break;
    }
    QCOMPARE(form_->canvas().ImageWidth(), imageSize);
    QCOMPARE(form_->canvas().ImageHeight(), imageSize);
    QCOMPARE(child("Im1")->geometry(), im1);
    QCOMPARE(child("Im2")->geometry(), im2);
    QCOMPARE(child("MaskPanel")->isVisible(), masks);
    QCOMPARE(child("Label1")->isVisible(), masks);
    if (masks)
        QCOMPARE(child("Label1")->pos(), QPoint(im1.left() - 65, im1.top() - 5));
    QCOMPARE(child<QLineEdit>("size")->text(), QStringLiteral(" %1 x %1").arg(imageSize));
}

void PimoFormTest::sizeCommandOnModifiedNamedDocument()
{
    Canvas& canvas = form_->canvas();
    canvas.document().rename("/tmp/named.ico");
    form_->setWindowTitle(QStringLiteral(" ピモコ   ルポミ舎     named.ico"));
    canvas.document().strokePixels().setPixel(3, 3, kBlack);
    canvas.document().finishStroke();
    form_->RefreshAfterEdit();
    QVERIFY(canvas.document().ImageModified);

    form_->ActSize1Execute();
    QCOMPARE(canvas.ImageWidth(), 16);
    QVERIFY(!canvas.document().ImageModified);
    QCOMPARE(canvas.document().CurrentFileName(), std::string("/tmp/named.ico"));
    QVERIFY(form_->windowTitle().endsWith(QStringLiteral("named.ico")));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            QCOMPARE(canvas.actualSize().pixel(x, y), kWhite);
}

void PimoFormTest::backPanelColours_data()
{
    QTest::addColumn<Color>("back");
    QTest::addColumn<Color>("text");
    QTest::newRow("start green") << Color(0x008000) << Color(0xFF7FFF);
    QTest::newRow("black") << Color(0x000000) << Color(0xFFFFFF);
    QTest::newRow("grey") << Color(0x808080) << Color(0x7F7F7F);
}

void PimoFormTest::backPanelColours()
{
    QFETCH(Color, back);
    QFETCH(Color, text);
    form_->canvas().settings.BackPanelColor = back;
    form_->ApplyBackPanelColor();
    QCOMPARE(fromQColor(child<QLineEdit>("size")->palette().color(QPalette::Base)), back);
    QCOMPARE(fromQColor(child<QLineEdit>("size")->palette().color(QPalette::Text)), text);
    QCOMPARE(fromQColor(child("Label1")->palette().color(QPalette::Window)), back);
    for (const char* label : {"Label1", "ANDLabel", "ORLabel", "IMLabel", "PlusLabel", "IcuLabel"})
        QCOMPARE(fromQColor(child(label)->palette().color(QPalette::WindowText)), text);
    // The panels show the colour where no child covers them.
    const QImage shot = form_->grab().toImage();
    const QPoint inPanel1 = child("Panel1")->mapTo(form_.get(), QPoint(50, 200));
    QCOMPARE(fromQColor(shot.pixelColor(inPanel1)), back);
    const QPoint inMaskPanel = child("MaskPanel")->mapTo(form_.get(), QPoint(60, 52));
    QCOMPARE(fromQColor(shot.pixelColor(inMaskPanel)), back);
}

void PimoFormTest::toolButtonSelectsToolAndCursor()
{
    QTest::mouseClick(child("Rect1"), Qt::LeftButton);
    QCOMPARE(form_->tool(), ToolCode::Rectangle);
    QCOMPARE(child("Im1")->cursor().shape(), Qt::CrossCursor);
    QVERIFY(!child<QToolButton>("Pen1")->isChecked());

    const struct {
        const char* button;
        int code;
    } tools[] = {{"Pen1", 60}, {"Line1", 10}, {"Ellipse1", 35}, {"Rect1", 30},
                 {"RRect1", 70}, {"Spoide1", 50}, {"Paint1", 55}};
    for (const auto& tool : tools) {
        QTest::mouseClick(child(tool.button), Qt::LeftButton);
        QCOMPARE(int(form_->tool()), tool.code);
        int down = 0;
        for (const auto& other : tools)
            down += child<QToolButton>(other.button)->isChecked() ? 1 : 0;
        QCOMPARE(down, 1);
    }
}

void PimoFormTest::canvasRebuildKeepsTool()
{
    QTest::mouseClick(child("RRect1"), Qt::LeftButton);
    form_->ActSize4Execute();
    QCOMPARE(form_->tool(), ToolCode::RoundRectangle);
    form_->RefreshAfterEdit();
    QCOMPARE(form_->tool(), ToolCode::RoundRectangle);
    QCOMPARE(child("Im1")->cursor().shape(), Qt::CrossCursor);
}

void PimoFormTest::cursorsMissingGiveArrow()
{
    QTemporaryDir empty;
    QDir::setCurrent(empty.path());
    // Nor installed anywhere the lookup goes on to.
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_DIRS", empty.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", empty.path().toLocal8Bit());
    TPimoForm1 form;
    qputenv("XDG_DATA_DIRS", dataDirs);
    qputenv("XDG_DATA_HOME", dataHome);
    for (int slot : {3, 4, 5, 6})
        QVERIFY(!form.cursorSlot(slot).has_value());
    QWidget* im1 = form.findChild<QWidget*>(QStringLiteral("Im1"));
    for (const char* tool : {"Pen1", "Line1", "Paint1", "Spoide1"}) {
        QTest::mouseClick(form.findChild<QWidget*>(QString::fromLatin1(tool)), Qt::LeftButton);
        QCOMPARE(im1->cursor().shape(), Qt::ArrowCursor);
    }
}

void PimoFormTest::cursorsPresentAreUsed()
{
    QTemporaryDir dir;
    for (const char* name : {"pen.cur", "spoid.cur", "paint.cur", "line.cur"})
        QVERIFY(QFile::copy(QStringLiteral(PIMOKO_SOURCE_DIR "/resources/cursors/") + QString::fromLatin1(name),
                            dir.filePath(QString::fromLatin1(name))));
    QDir::setCurrent(dir.path());
    TPimoForm1 form;
    for (int slot : {3, 4, 5, 6})
        QVERIFY(form.cursorSlot(slot).has_value());
    QWidget* im1 = form.findChild<QWidget*>(QStringLiteral("Im1"));
    const struct {
        const char* tool;
        int slot;
    } uses[] = {{"Pen1", 3}, {"Spoide1", 4}, {"Paint1", 5}, {"Line1", 6}};
    for (const auto& use : uses) {
        QTest::mouseClick(form.findChild<QWidget*>(QString::fromLatin1(use.tool)), Qt::LeftButton);
        QCOMPARE(im1->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(im1->cursor().hotSpot(), form.cursorSlot(use.slot)->hotSpot());
    }
}

void PimoFormTest::statusHints()
{
    form_->ApplicationEvents1Hint(QStringLiteral("x"));
    QCOMPARE(form_->statusText(0), QStringLiteral("x"));

    // A widget's status tip reaches the first panel through the status-tip event.
    QStatusTipEvent tip(child("Pen1")->statusTip());
    QApplication::sendEvent(child("Pen1"), &tip);
    QCOMPARE(form_->statusText(0), QStringLiteral("ペン描画状態にします。"));
}

void PimoFormTest::controlHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("Pen1") << "Pen1" << "ペン" << "ペン描画状態にします。";
    QTest::newRow("Line1") << "Line1" << "線" << "線描画状態にします。";
    QTest::newRow("Ellipse1") << "Ellipse1" << "楕円" << "楕円描画状態にします。";
    QTest::newRow("Rect1") << "Rect1" << "四角" << "四角描画状態にします。";
    QTest::newRow("RRect1") << "RRect1" << "角丸四角" << "角丸四角描画状態にします。";
    QTest::newRow("Spoide1") << "Spoide1" << "色の抽出" << "画像から色を抽出します";
    QTest::newRow("Paint1") << "Paint1" << "塗潰し" << "選択されている色で塗潰します。";
    QTest::newRow("ToolButton1") << "ToolButton1" << "新規作成" << "新規作成状態にします。";
    QTest::newRow("Size1") << "Size1" << "サイズ変更" << "キャンバスのサイズを変更できます。";
    QTest::newRow("ColorGrid1") << "ColorGrid1" << "" << "ペンの色を選択できます。";
    QTest::newRow("LColor") << "LColor" << "選択色" << "現在のペンの色（左ボタン）です。";
    QTest::newRow("RColor") << "RColor" << "選択色" << "現在のペンの色（右ボタン）です。";
    QTest::newRow("size") << "size" << "サイズ" << "キャンバス・サイズを表示・・・　クリックでバックパネル色を変更できます";
    QTest::newRow("Im2") << "Im2" << "実寸大" << "実際の寸法で描画しています。";
    QTest::newRow("Im3") << "Im3" << "AND" << "AND Mask を表示しています。";
    QTest::newRow("Im4") << "Im4" << "OR" << "OR Mask を表示しています。";
    QTest::newRow("Im5") << "Im5" << "Image" << "実際の表示状態です。（ Icon として保存した場合 ）";
    QTest::newRow("Button1") << "Button1" << "" << "このプログラムを終了します。";
    QTest::newRow("Im1") << "Im1" << "" << "";
    QTest::newRow("Panel1") << "Panel1" << "" << "";
}

void PimoFormTest::controlHints()
{
    QFETCH(QString, name);
    QFETCH(QString, tooltip);
    QFETCH(QString, statusTip);
    QWidget* widget = form_->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), tooltip);
    QCOMPARE(widget->statusTip(), statusTip);
}

void PimoFormTest::pointerOverControlsSetsStatusText()
{
    // Entering a control with a hint shows it; leaving it clears the panel,
    // so the editing area, which has none, leaves the panel empty.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(child("ColorGrid1"), &enter);
    QCOMPARE(form_->statusText(0), QStringLiteral("ペンの色を選択できます。"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(child("ColorGrid1"), &leave);
    QCOMPARE(form_->statusText(0), QString());
    QApplication::sendEvent(child("Button1"), &enter);
    QCOMPARE(form_->statusText(0), QStringLiteral("このプログラムを終了します。"));
    QApplication::sendEvent(child("Button1"), &leave);
    QApplication::sendEvent(child("Im1"), &enter);
    QCOMPARE(form_->statusText(0), QString());
}

void PimoFormTest::exitButtonHasFocusAndCloses()
{
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTRY_COMPARE(QApplication::focusWidget(), child("Button1"));
    QCOMPARE(child<QPushButton>("Button1")->text(), QStringLiteral("終了(&X)"));
    QTest::keyClick(child("Button1"), Qt::Key_Space);
    QVERIFY(!form_->isVisible());
}

void PimoFormTest::enterOnExitButtonCloses()
{
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTRY_VERIFY(child("Button1")->hasFocus());
    QTest::keyClick(child("Button1"), Qt::Key_Return);
    QVERIFY(!form_->isVisible());
}

void PimoFormTest::viewsShowCanvasPixels()
{
    Canvas& canvas = form_->canvas();
    canvas.document().strokePixels().setPixel(0, 0, 0x0000FF);
    canvas.document().strokePixels().setPixel(1, 0, 0x00FF00);
    form_->RefreshAfterEdit();
    const QImage shot = form_->grab().toImage();
    const auto at = [&](const char* view, QPoint p) {
        return fromQColor(shot.pixelColor(child(view)->mapTo(form_.get(), p)));
    };
    QCOMPARE(at("Im1", QPoint(3, 3)), Color(0x0000FF));
    QCOMPARE(at("Im1", QPoint(9, 3)), Color(0x00FF00));
    QCOMPARE(at("Im1", QPoint(6, 3)), kBlack);
    QCOMPARE(at("Im2", QPoint(1, 0)), Color(0x00FF00));
    QCOMPARE(at("Im3", QPoint(0, 0)), kWhite);
    QCOMPARE(at("Im3", QPoint(1, 0)), kBlack);
    QCOMPARE(at("Im4", QPoint(0, 0)), kBlack);
    QCOMPARE(at("Im5", QPoint(0, 0)), Color(0x008000));
    QCOMPARE(at("Im5", QPoint(1, 0)), Color(0x00FF00));
}

void PimoFormTest::newImageStartsWithoutRescueSteps()
{
    for (int x : {1, 2})
        QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, QPoint(6 * x + 3, 3));
    form_->canvas().document().markSaved(form_->canvas().document().CurrentFileName());  // no question to answer
    form_->actions()->ActNew->trigger();
    QCOMPARE(form_->rescueHistory().FRescueCount, 0);
}

void PimoFormTest::commandLineFileOpensOnceWindowIsOnScreen()
{
    form_.reset();
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    TPimoForm1 form({QStringLiteral("missing.bmp")});
    // Answers the error box when it comes, noting whether the window was on
    // the screen by then.
    bool showReturned = false, windowOnScreen = false;
    QString boxText;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            windowOnScreen = showReturned && form.windowHandle()->isExposed();
            boxText = box->text();
            box->accept();
        }
    });
    poll.start(10);
    form.show();
    showReturned = true;
    QTRY_VERIFY(!boxText.isEmpty());
    QVERIFY(windowOnScreen);
    // Named by its full path.
    QVERIFY2(boxText.startsWith(QStringLiteral("ファイル \"%1/missing.bmp\". ").arg(folder.path())), qPrintable(boxText));
}

void PimoFormTest::startUpLeavesUnusedLibrariesUnloaded()
{
    // The program (one folder above the tests) up to its window's first
    // showing, with the files the system's loader reads listed.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PIMOKO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../pimoko"), {});
    QVERIFY(program.waitForFinished(60000));
    const QString loaded = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY(loaded.contains(QStringLiteral("pimoko-window.so")));
    for (const char* unused : {"libQt6PrintSupport", "pimoko-print", "/imageformats/"})
        QVERIFY2(!loaded.contains(QString::fromLatin1(unused)), unused);
}

QTEST_MAIN(PimoFormTest)
#include "tst_pimo_form.moc"
