#include "app/action_list.h"
#include "app/pimo_form.h"
#include "document/document_commands.h"
#include "files/codec/bmp_writer.h"
#include "operations/ok_bottom_dlg.h"
#include "support/editor_fixture.h"
#include "support/find_child.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::PrintAnswer)

// Rotate and mirror, the enlarge/reduce dialog and printing, through the
// window's commands.
class OperationCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void rotatingANonSquareImageTurnsTheViews();
    void transformsMarkModifiedAndStoreNoRescue();
    void sizeDialogScalesTheImageOnOk_data();
    void sizeDialogScalesTheImageOnOk();
    void sizeDialogCancelChangesNothing();
    void sizeDialogOkOnSavedDocumentMarksItModified();
    void printCommand_data();
    void printCommand();
    void maskPanelFollowsTheDocument_data();
    void maskPanelFollowsTheDocument();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return findNamedChild<T>(form_.get(), name); }

    std::unique_ptr<PrivateHome> home_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TPimoForm1> form_;
};

void OperationCommandsTest::init()
{
    home_ = std::make_unique<PrivateHome>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TPimoForm1>(std::move(dialogs));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void OperationCommandsTest::cleanup()
{
    form_.reset();
    home_.reset();
}

void OperationCommandsTest::rotatingANonSquareImageTurnsTheViews()
{
    PixelBuffer image(5, 3, kWhite);
    image.setPixel(4, 0, 0x0000FF);  // top right
    const QString file = home_->path() + QStringLiteral("/wide.bmp");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    const auto bytes = bitmapFileBytes(image);
    out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    out.close();
    form_->OpenImageFile(file);
    form_->actions()->Act90->trigger();
    QCOMPARE(form_->canvas().ImageWidth(), 3);
    QCOMPARE(form_->canvas().ImageHeight(), 5);
    // The top-right pixel went to the bottom right, in the view too.
    QCOMPARE(form_->canvas().actualSize().pixel(2, 4), Color(0x0000FF));
    QCOMPARE(form_->canvas().magnifiedView.pixel(6 * 2 + 3, 6 * 4 + 3), Color(0x0000FF));
    QCOMPARE(child("Im1")->size(), QSize(18, 30));
    QCOMPARE(child("Im2")->size(), QSize(3, 5));
    QCOMPARE(child<QLineEdit>("size")->text(), QStringLiteral(" 3 x 5"));
}

void OperationCommandsTest::transformsMarkModifiedAndStoreNoRescue()
{
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, cellPoint(0, 0));
    form_->canvas().document().markSaved(form_->canvas().document().CurrentFileName());
    for (QAction* action : {form_->actions()->ActHantenRL, form_->actions()->ActHantenTB, form_->actions()->Act90}) {
        action->trigger();
        QVERIFY(form_->canvas().document().ImageModified);
    }
    // Mirrored to the right, flipped to the bottom, turned to the bottom left.
    QCOMPARE(form_->canvas().actualSize().pixel(0, 31), Color(0xFF0000));
    QCOMPARE(form_->rescueHistory().FRescueCount, 1);
    // The previews follow: the pixel is opaque, the white corner transparent.
    QCOMPARE(form_->canvas().andPreview.pixel(0, 31), kBlack);
    QCOMPARE(form_->canvas().andPreview.pixel(0, 0), kWhite);
    form_->actions()->ActUndo->trigger();
    QVERIFY(form_->canvas().actualSize() == PixelBuffer(32, 32, kWhite));
}

void OperationCommandsTest::sizeDialogScalesTheImageOnOk_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("masks");
    QTest::newRow("to 64: 2 x 2 blocks") << 3 << 64 << false;
    QTest::newRow("to 16: AND of 2 x 2") << 0 << 16 << false;
    QTest::newRow("the same size") << 2 << 32 << true;
}

void OperationCommandsTest::sizeDialogScalesTheImageOnOk()
{
    QFETCH(int, item);
    QFETCH(int, side);
    QFETCH(bool, masks);
    // Red at (2, 2) and white around it; blue at (4, 4) beside red at (5, 4).
    auto& image = form_->canvas().document().strokePixels();
    image.setPixel(2, 2, 0x0000FF);
    image.setPixel(4, 4, 0xFF0000);
    image.setPixel(5, 4, 0x0000FF);
    form_->canvas().document().finishStroke();
    form_->RefreshAfterEdit();
    const int rescueSteps = form_->rescueHistory().FRescueCount;
    form_->actions()->ActSize->trigger();
    TOKBottomDlg* dialog = form_->sizeDialog();
    QVERIFY(dialog && dialog->isVisible());
    // Opening the dialog keeps the unsaved edits unsaved.
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("Edit6"))->text(), QStringLiteral("9"));
    // The main window stays usable while the dialog is open.
    QTest::mouseClick(child("Im1"), Qt::RightButton, {}, cellPoint(0, 31));
    QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(item)), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(form_->canvas().ImageWidth(), side);
    QCOMPARE(child("MaskPanel")->isVisible(), masks);
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(form_->rescueHistory().FRescueCount, rescueSteps + 1);
    const PixelBuffer& result = form_->canvas().actualSize();
    if (side == 64) {
        for (auto [x, y] : {std::pair{4, 4}, {5, 4}, {4, 5}, {5, 5}})
            QCOMPARE(result.pixel(x, y), Color(0x0000FF));
        QCOMPARE(result.pixel(0, 63), Color(0x0000FF));
    } else if (side == 16) {
        QCOMPARE(result.pixel(1, 1), Color(0x0000FF));  // white AND red
        QCOMPARE(result.pixel(2, 2), kBlack);           // blue AND red
        QCOMPARE(result.pixel(3, 3), kWhite);
    } else {
        QCOMPARE(result.pixel(2, 2), Color(0x0000FF));
        QCOMPARE(result.pixel(0, 31), Color(0x0000FF));
    }
}

void OperationCommandsTest::sizeDialogOkOnSavedDocumentMarksItModified()
{
    QVERIFY(!form_->canvas().document().ImageModified);
    form_->actions()->ActSize->trigger();
    form_->sizeDialog()->RadioGroup1Click(0);
    form_->sizeDialog()->OKBtnClick();
    QCOMPARE(form_->canvas().ImageWidth(), 16);
    QVERIFY(form_->canvas().document().ImageModified);
}

void OperationCommandsTest::sizeDialogCancelChangesNothing()
{
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, cellPoint(1, 1));
    const PixelBuffer before = form_->canvas().actualSize();
    form_->actions()->ActSize->trigger();
    TOKBottomDlg* dialog = form_->sizeDialog();
    QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item3")), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(form_->canvas().actualSize() == before);
    QVERIFY(form_->canvas().document().ImageModified);
}

void OperationCommandsTest::printCommand_data()
{
    QTest::addColumn<PrintAnswer>("answer");
    QTest::newRow("printed") << PrintAnswer::Print;
    QTest::newRow("cancelled") << PrintAnswer::Cancel;
    QTest::newRow("no printer") << PrintAnswer::NoPrinter;
}

void OperationCommandsTest::printCommand()
{
    QFETCH(PrintAnswer, answer);
    QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, cellPoint(1, 1));
    child("Im1")->setFocus();
    const PixelBuffer before = form_->canvas().actualSize();
    dialogs_->printAnswers.push_back(answer);
    dialogs_->printFile = home_->path() + QStringLiteral("/page.pdf");
    form_->actions()->ActPrint->trigger();
    QCOMPARE(QFile::exists(dialogs_->printFile), answer == PrintAnswer::Print);
    if (answer == PrintAnswer::NoPrinter) {
        QCOMPARE(dialogs_->errors, QList<QString>{QStringLiteral("デフォルト プリンタが存在しません")});
        QVERIFY(!child("Button1")->hasFocus());
    } else {
        QVERIFY(dialogs_->errors.isEmpty());
        QVERIFY(child("Button1")->hasFocus());
    }
    QVERIFY(form_->canvas().actualSize() == before);
    QVERIFY(form_->canvas().document().ImageModified);
}

void OperationCommandsTest::maskPanelFollowsTheDocument_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("shown");
    QTest::newRow("start") << "" << true;
    QTest::newRow("bitmap of 32 x 32 opened") << "bmp" << false;
    QTest::newRow("icon opened") << "ico" << true;
    QTest::newRow("new image after a bitmap") << "bmp new" << true;
    QTest::newRow("16 x 16") << "16" << false;
    QTest::newRow("32 x 32 after a bitmap") << "bmp 32" << true;
    QTest::newRow("rescue back across 16 x 16") << "press 16 rescue" << true;
    QTest::newRow("rescue back to the bitmap") << "bmp press 32 rescue" << false;
    QTest::newRow("rescue back to the icon") << "ico press 64 rescue" << true;
    QTest::newRow("bitmap copy restored") << "restore.bmp" << false;
    QTest::newRow("icon copy restored") << "16 restore.ico" << true;
}

void OperationCommandsTest::maskPanelFollowsTheDocument()
{
    QFETCH(QString, steps);
    QFETCH(bool, shown);
    const QString bitmap = home_->path() + QStringLiteral("/square.bmp");
    QFile out(bitmap);
    QVERIFY(out.open(QIODevice::WriteOnly));
    const auto bytes = bitmapFileBytes(PixelBuffer(32, 32, kWhite));
    out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    out.close();
    const QMap<QString, std::function<void()>> run{
        {"bmp", [&] { form_->OpenImageFile(bitmap); }},
        {"ico", [&] { form_->OpenImageFile(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth8.ico")); }},
        {"new", [&] { form_->ActNewExecute(); }},
        {"press", [&] { QTest::mouseClick(child("Im1"), Qt::LeftButton, {}, cellPoint(1, 1)); }},
        {"rescue", [&] { form_->ActUndoExecute(); }},
        {"16", [&] { form_->ActSize1Execute(); }},
        {"32", [&] { form_->ActSize3Execute(); }},
        {"64", [&] { form_->ActSize4Execute(); }},
        {"restore.bmp", [&] { form_->documentCommands()->restoreDrawing(PixelBuffer(32, 32, kWhite), "/r.bmp"); }},
        {"restore.ico", [&] { form_->documentCommands()->restoreDrawing(PixelBuffer(32, 32, kWhite), "/r.ico"); }},
    };
    for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts))
        run.value(step)();
    QCOMPARE(child("MaskPanel")->isVisible(), shown);
    QCOMPARE(child("Label1")->isVisible(), shown);
}

QTEST_MAIN(OperationCommandsTest)
#include "tst_operation_commands.moc"
