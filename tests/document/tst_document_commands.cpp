#include "app/pimo_form.h"
#include "document/document_commands.h"
#include "document/picture_files.h"
#include "document/save_preview.h"
#include "support/file_bytes.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::SaveAnswer)
Q_DECLARE_METATYPE(pimoko::SaveKind)
Q_DECLARE_METATYPE(pimoko::PictureKind)

namespace {

const QByteArray kIconStart = QByteArray::fromHex("000001000100");
const QString kIconSizeRefusal = QStringLiteral("ICON として保存出来るサイズは\r\n\r\n 『 32 x 32 』 だけなのです。");

} // namespace

// New, save, save as and the unsaved-changes question, through the window
// with scripted dialogs.
class DocumentCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveAsIconOfNewImage();
    void saveCommandChoosesKindByExtension_data();
    void saveCommandChoosesKindByExtension();
    void saveAsNameAndKind_data();
    void saveAsNameAndKind();
    void replaceQuestion_data();
    void replaceQuestion();
    void questionAnswers_data();
    void questionAnswers();
    void noQuestionWhenUnmodified();
    void failedSaveKeepsFileAndWork_data();
    void failedSaveKeepsFileAndWork();
    void previewThatCannotBeWrittenStillSaves();
    void previewLeavesOtherFilesAlone_data();
    void previewLeavesOtherFilesAlone();
    void drawingSavedAsThePreviewIsKept();
    void previewOfAnEarlierRunIsRecognised_data();
    void previewOfAnEarlierRunIsRecognised();
    void recordOfAnotherPreviewStays();
    void saveOverIconThatHoldsMore_data();
    void saveOverIconThatHoldsMore();
    void failedSaveAsKeepsEarlierName();

private:
    // A drawing of side x side pixels (16, 32 or 64) with an edit in it.
    void modify(int side = 32)
    {
        if (side == 16)
            form_->ActSize1Execute();
        else if (side == 64)
            form_->ActSize4Execute();
        form_->canvas().document().strokePixels().setPixel(3, 4, 0x0000FF);
        form_->canvas().document().finishStroke();
        form_->RefreshAfterEdit();
    }
    QString path(const QString& name) const { return home_->path() + QLatin1Char('/') + name; }
    QString previewFile() const { return DocumentCommands::previewFolder() + QStringLiteral("/_.bmp"); }

    std::unique_ptr<PrivateHome> home_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TPimoForm1> form_;
};

void DocumentCommandsTest::init()
{
    home_ = std::make_unique<PrivateHome>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TPimoForm1>(std::move(dialogs));
}

void DocumentCommandsTest::cleanup()
{
    form_.reset();
    home_.reset();
}

void DocumentCommandsTest::saveAsIconOfNewImage()
{
    modify();
    dialogs_->saveChoices.push_back(SaveChoice{path("a.ico"), SaveKind::Icon});
    form_->ActSaveAsExecute();
    // The dialog opened on the preview bitmap, in a folder made for it.
    QCOMPARE(dialogs_->saveRequests.size(), 1);
    QCOMPARE(dialogs_->saveRequests[0].presetFileName, previewFile());
    // The name's extension or the filter's decides; the dialog adds none.
    QCOMPARE(dialogs_->saveRequests[0].defaultSuffix, QString());
    QVERIFY(previewFile().startsWith(home_->path() + QStringLiteral("/Desktop/アイコン/")));
    const QByteArray bytes = readAll(path("a.ico"));
    QCOMPARE(bytes.size(), 766);
    QCOMPARE(bytes.left(22).toHex(), QByteArray("0000010001002020040000000000e802000016000000"));
    QImageReader reader(path("a.ico"));
    const QImage image = reader.read();
    QCOMPARE(image.pixel(3, 4), qRgb(0xFF, 0, 0));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QVERIFY(!form_->canvas().document().ImageModified);
    QCOMPARE(form_->windowTitle(), QStringLiteral(" ピモコ   ルポミ舎     a.ico"));
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), path("a.ico"));
    // Saved through the dialog: the preview is gone.
    QVERIFY(!QFile::exists(previewFile()));
}

void DocumentCommandsTest::saveCommandChoosesKindByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("side");
    QTest::addColumn<QByteArray>("start");  // empty: the save-as dialog is asked
    QTest::addColumn<int>("size");
    QTest::newRow("bmp") << "x.bmp" << 32 << QByteArray("BM") << 4150;
    QTest::newRow("BMP, ASCII lower-cased") << "x.BMP" << 32 << QByteArray("BM") << 4150;
    QTest::newRow("ico at 16 x 16") << "x.ico" << 16 << kIconStart << 318;
    QTest::newRow("ico at 64 x 64") << "x.Ico" << 64 << kIconStart << 2686;
    QTest::newRow("exe") << "x.exe" << 32 << QByteArray() << 0;
    QTest::newRow("cur") << "x.cur" << 32 << QByteArray() << 0;
    QTest::newRow("no extension") << "x" << 32 << QByteArray() << 0;
}

void DocumentCommandsTest::saveCommandChoosesKindByExtension()
{
    QFETCH(QString, name);
    QFETCH(int, side);
    QFETCH(QByteArray, start);
    QFETCH(int, size);
    modify(side);
    form_->canvas().document().rename(path(name).toStdString());
    if (start.isEmpty())
        dialogs_->saveChoices.push_back(std::nullopt);
    form_->ActSaveExecute();
    if (start.isEmpty()) {
        QCOMPARE(dialogs_->saveRequests.size(), 1);
        QVERIFY(!QFile::exists(path(name)));
        QVERIFY(form_->canvas().document().ImageModified);
        // Cancelled: the preview stays for the next time.
        QVERIFY(QFile::exists(previewFile()));
        return;
    }
    const QByteArray bytes = readAll(path(name));
    QCOMPARE(bytes.size(), size);
    QVERIFY(bytes.startsWith(start));
    QVERIFY(!form_->canvas().document().ImageModified);
    QVERIFY(form_->windowTitle().endsWith(name));
}

void DocumentCommandsTest::saveAsNameAndKind_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<SaveKind>("filter");
    QTest::addColumn<QString>("written");  // empty: refused, as save-as writes icons of 32 x 32 only
    QTest::addColumn<PictureKind>("kind");
    const auto icon = PictureKind::Icon;
    const auto bitmap = PictureKind::Bitmap;
    QTest::newRow("no extension, icon filter") << 32 << "abc" << SaveKind::Icon << "abc.ico" << icon;
    QTest::newRow("no extension, bitmap filter") << 64 << "big64" << SaveKind::Bitmap << "big64.bmp" << bitmap;
    QTest::newRow("other extension, icon filter") << 32 << "abc.png" << SaveKind::Icon << "abc.png.ico" << icon;
    QTest::newRow("ending in a dot, bitmap filter") << 32 << "abc." << SaveKind::Bitmap << "abc.bmp" << bitmap;
    QTest::newRow(".bmp under the icon filter") << 32 << "_.bmp" << SaveKind::Icon << "_.bmp" << bitmap;
    QTest::newRow(".ICO under the bitmap filter") << 32 << "X.ICO" << SaveKind::Bitmap << "X.ICO" << icon;
    QTest::newRow(".bmp at 16 x 16 under the icon filter") << 16 << "c.bmp" << SaveKind::Icon << "c.bmp" << bitmap;
    QTest::newRow(".ico at 16 x 16 under the bitmap filter") << 16 << "c.ico" << SaveKind::Bitmap << "" << icon;
    QTest::newRow("no extension at 16 x 16, icon filter") << 16 << "c" << SaveKind::Icon << "" << icon;
}

void DocumentCommandsTest::saveAsNameAndKind()
{
    QFETCH(int, side);
    QFETCH(QString, chosen);
    QFETCH(SaveKind, filter);
    QFETCH(QString, written);
    QFETCH(PictureKind, kind);
    modify(side);
    dialogs_->saveChoices.push_back(SaveChoice{path(chosen), filter});
    form_->ActSaveAsExecute();

    QCOMPARE(QDir(home_->path()).entryList(QDir::Files), written.isEmpty() ? QStringList() : QStringList{written});
    if (written.isEmpty()) {
        QCOMPARE(dialogs_->refusals, QList<QString>{kIconSizeRefusal});
        QCOMPARE(dialogs_->beeps, 1);
        QVERIFY(form_->canvas().document().CurrentFileName().empty());
        QVERIFY(form_->canvas().document().ImageModified);
        QVERIFY(QFile::exists(previewFile()));
        return;
    }
    const auto read = readPictureFile(path(written));
    QVERIFY(std::holds_alternative<OpenedPicture>(read));
    QCOMPARE(std::get<OpenedPicture>(read).kind, kind);
    if (kind == PictureKind::Bitmap)
        QCOMPARE(std::get<OpenedPicture>(read).picture.width(), side);
    QCOMPARE(form_->windowTitle(), QStringLiteral(" ピモコ   ルポミ舎     ") + written);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), path(written));
    QVERIFY(!form_->canvas().document().ImageModified);
    QVERIFY(!QFile::exists(previewFile()));
}

void DocumentCommandsTest::replaceQuestion_data()
{
    QTest::addColumn<bool>("saveAs");    // false: the save command on the document's own name
    QTest::addColumn<QString>("chosen"); // "preview": the preview bitmap the save-as wrote
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("yes");
    QTest::newRow("save as onto another file, yes") << true << "old.bmp" << "old.bmp" << true << true;
    QTest::newRow("save as onto another file, no") << true << "old.bmp" << "old.bmp" << true << false;
    QTest::newRow("save as onto the name the filter completes") << true << "old" << "old.bmp" << true << true;
    QTest::newRow("save as a new file") << true << "new.bmp" << "new.bmp" << false << true;
    QTest::newRow("save onto the document's own file") << false << "old.bmp" << "old.bmp" << false << true;
    QTest::newRow("save as onto the preview just written") << true << "preview" << "preview" << false << true;
}

void DocumentCommandsTest::replaceQuestion()
{
    QFETCH(bool, saveAs);
    QFETCH(QString, chosen);
    QFETCH(QString, target);
    QFETCH(bool, asked);
    QFETCH(bool, yes);
    const QByteArray earlier("the earlier file");
    writeAll(path("old.bmp"), earlier);
    modify();
    const auto file = [this](const QString& name) { return name == u"preview" ? previewFile() : path(name); };
    if (asked)
        dialogs_->yesNoAnswers.push_back(yes);
    if (saveAs) {
        dialogs_->saveChoices.push_back(SaveChoice{file(chosen), SaveKind::Bitmap});
        form_->ActSaveAsExecute();
    } else {
        form_->canvas().document().rename(file(chosen).toStdString());
        form_->ActSaveExecute();
    }

    // An unscripted question would have stopped the test.
    const QString question = QStringLiteral("ファイル \"%1\" は既に存在します。置き換えますか?").arg(file(target));
    QCOMPARE(dialogs_->yesNoQuestions, asked ? QList<QString>{question} : QList<QString>{});
    const QByteArray now = readAll(file(target));
    if (!yes) {
        QCOMPARE(now, earlier);
        QVERIFY(form_->canvas().document().ImageModified);
        QVERIFY(form_->canvas().document().CurrentFileName().empty());
        return;
    }
    QVERIFY(now.startsWith("BM"));
    QCOMPARE(now.size(), 4150);
    QVERIFY(!form_->canvas().document().ImageModified);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), file(target));
}

void DocumentCommandsTest::questionAnswers_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<bool>("saveDialogSaves");
    QTest::addColumn<bool>("goesOn");
    for (const char* caller : {"new", "close"}) {
        const QString name = QString::fromLatin1(caller);
        QTest::addRow("%s: yes, saved", caller) << name << SaveAnswer::Yes << true << true;
        // A Yes that wrote nothing keeps the unsaved work.
        QTest::addRow("%s: yes, save-as cancelled", caller) << name << SaveAnswer::Yes << false << false;
        QTest::addRow("%s: no", caller) << name << SaveAnswer::No << false << true;
        QTest::addRow("%s: cancel", caller) << name << SaveAnswer::Cancel << false << false;
    }
}

void DocumentCommandsTest::questionAnswers()
{
    QFETCH(QString, caller);
    QFETCH(SaveAnswer, answer);
    QFETCH(bool, saveDialogSaves);
    QFETCH(bool, goesOn);
    form_->show();
    modify();
    dialogs_->saveAnswers.push_back(answer);
    if (answer == SaveAnswer::Yes)
        dialogs_->saveChoices.push_back(saveDialogSaves ? std::optional(SaveChoice{path("q.bmp"), SaveKind::Bitmap})
                                                        : std::nullopt);
    bool wentOn = false;
    if (caller == QStringLiteral("new")) {
        form_->ActNewExecute();
        wentOn = form_->canvas().actualSize().pixel(3, 4) == kWhite;
    } else {
        form_->ActExitExecute();
        wentOn = !form_->isVisible();
    }
    QCOMPARE(dialogs_->questions,
             QList<QString>{QStringLiteral("『 新規画像 』　が保存されていません。\r\n\r\n　保存しますか？")});
    QCOMPARE(dialogs_->beeps, 1);
    QCOMPARE(wentOn, goesOn);
    QCOMPARE(QFile::exists(path("q.bmp")), saveDialogSaves);
    if (!goesOn)
        QCOMPARE(form_->canvas().actualSize().pixel(3, 4), Color(0x0000FF));
}

void DocumentCommandsTest::noQuestionWhenUnmodified()
{
    // An unscripted question would stop the test.
    form_->show();
    form_->canvas().document().rename(path("named.ico").toStdString());
    form_->ActNewExecute();
    QVERIFY(form_->canvas().document().CurrentFileName().empty());
    QCOMPARE(form_->windowTitle(), QStringLiteral(" ピモコ   ルポミ舎     　新規画像"));
    form_->ActExitExecute();
    QVERIFY(!form_->isVisible());
    QVERIFY(dialogs_->questions.isEmpty());
}

// Read-only files and folders, which lock nothing for root, are in
// tst_file_failures, run as nobody.
void DocumentCommandsTest::failedSaveKeepsFileAndWork_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("target is a folder") << "folder.bmp";
    QTest::newRow("through a missing folder") << "missing/x.bmp";
    QTest::newRow("folder no one can write") << "/proc/pimoko-test.bmp";
}

void DocumentCommandsTest::failedSaveKeepsFileAndWork()
{
    QFETCH(QString, target);
    const QString file = target.startsWith(QLatin1Char('/')) ? target : path(target);
    if (target == u"folder.bmp")
        QVERIFY(QDir().mkpath(file));
    const QStringList before = QDir(home_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    modify();
    form_->canvas().document().rename(file.toStdString());
    const QString caption = form_->windowTitle();
    form_->ActSaveExecute();

    QCOMPARE(dialogs_->errors.size(), 1);
    const QString error = dialogs_->errors.first();
    QVERIFY2(error.startsWith(QStringLiteral("ファイル \"%1\". ").arg(file)), qPrintable(error));
    QVERIFY2(error.endsWith(QStringLiteral(" を作成できません")), qPrintable(error));
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(form_->windowTitle(), caption);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), file);
    // No half-written file left beside it.
    QCOMPARE(QDir(home_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void DocumentCommandsTest::previewThatCannotBeWrittenStillSaves()
{
    // A file where the preview folder should be.
    QVERIFY(QDir().mkpath(home_->path() + QStringLiteral("/Desktop")));
    writeAll(DocumentCommands::previewFolder(), "in the way");
    modify();
    dialogs_->saveChoices.push_back(SaveChoice{path("a.bmp"), SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    // The dialog opens on no file, and nothing is said about the preview.
    QCOMPARE(dialogs_->saveRequests.size(), 1);
    QCOMPARE(dialogs_->saveRequests[0].presetFileName, QString());
    QVERIFY(dialogs_->errors.isEmpty());
    QCOMPARE(readAll(path("a.bmp")).size(), 4150);
    QVERIFY(!form_->canvas().document().ImageModified);
    QCOMPARE(readAll(DocumentCommands::previewFolder()), QByteArray("in the way"));
}

// Files under the preview's names that the editor did not write as a
// preview are never written over or deleted: the preview takes the first
// free name.
void DocumentCommandsTest::previewLeavesOtherFilesAlone_data()
{
    QTest::addColumn<QStringList>("taken");  // "name" a file, "name>" a link to a missing file
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("no file there") << QStringList{} << "_.bmp" << false;
    QTest::newRow("the user's _.bmp, cancelled") << QStringList{"_.bmp"} << "_2.bmp" << true;
    QTest::newRow("the user's _.bmp, saved elsewhere") << QStringList{"_.bmp"} << "_2.bmp" << false;
    QTest::newRow("_.bmp and _2.bmp taken") << QStringList{"_.bmp", "_2.bmp"} << "_3.bmp" << false;
    QTest::newRow("a link named _.bmp") << QStringList{"_.bmp>"} << "_2.bmp" << false;
}

void DocumentCommandsTest::previewLeavesOtherFilesAlone()
{
    QFETCH(QStringList, taken);
    QFETCH(QString, proposed);
    QFETCH(bool, cancel);
    const QDir folder(DocumentCommands::previewFolder());
    QVERIFY(QDir().mkpath(folder.path()));
    for (const QString& name : taken) {
        if (name.endsWith(u'>'))
            QVERIFY(QFile::link(path("missing.bmp"), folder.filePath(name.chopped(1))));
        else
            writeAll(folder.filePath(name), "the user's " + name.toUtf8());
    }
    modify();
    dialogs_->saveChoices.push_back(cancel ? std::nullopt : std::optional(SaveChoice{path("a.bmp"), SaveKind::Bitmap}));
    form_->ActSaveAsExecute();

    QCOMPARE(dialogs_->saveRequests[0].presetFileName, folder.filePath(proposed));
    for (const QString& name : taken) {
        if (name.endsWith(u'>'))
            QVERIFY(!QFile::exists(path("missing.bmp")));
        else
            QCOMPARE(readAll(folder.filePath(name)), "the user's " + name.toUtf8());
    }
    // The preview itself stays after a cancel and goes after a save, and
    // so does what the next run knows of it.
    QCOMPARE(QFile::exists(folder.filePath(proposed)), cancel);
    QCOMPARE(QFile::exists(home_->path() + "/.local/state/pimoko/save-preview"), cancel);
}

void DocumentCommandsTest::previewOfAnEarlierRunIsRecognised_data()
{
    QTest::addColumn<bool>("savedOverSince");  // by the user, between the runs
    QTest::addColumn<QString>("proposed");
    QTest::newRow("written over in its place") << false << "_.bmp";
    QTest::newRow("saved over by the user since: left alone") << true << "_2.bmp";
}

// A save-as cancelled in one run, then in the next.
void DocumentCommandsTest::previewOfAnEarlierRunIsRecognised()
{
    QFETCH(bool, savedOverSince);
    QFETCH(QString, proposed);
    modify();
    dialogs_->saveChoices.push_back(std::nullopt);
    form_->ActSaveAsExecute();
    QVERIFY(QFile::exists(previewFile()));
    form_.reset();
    if (savedOverSince)
        writeAll(previewFile(), "the user's drawing");
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TPimoForm1>(std::move(dialogs));
    modify();
    dialogs_->saveChoices.push_back(std::nullopt);
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->saveRequests[0].presetFileName, DocumentCommands::previewFolder() + '/' + proposed);
    if (savedOverSince)
        QCOMPARE(readAll(previewFile()), QByteArray("the user's drawing"));
}

void DocumentCommandsTest::drawingSavedAsThePreviewIsKept()
{
    // A hurried user saves a drawing under the proposed name, by another
    // spelling of its path.
    modify();
    const QString spelled = DocumentCommands::previewFolder() + QStringLiteral("/../アイコン/_.bmp");
    dialogs_->saveChoices.push_back(SaveChoice{spelled, SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    const QByteArray drawing = readAll(previewFile());
    QCOMPARE(drawing.size(), 4150);

    // The next save-as neither writes over it nor deletes it: not when
    // cancelled, not when saved elsewhere.
    form_->canvas().document().strokePixels().setPixel(5, 5, 0x00FF00);
    const QString second = DocumentCommands::previewFolder() + QStringLiteral("/_2.bmp");
    dialogs_->saveChoices.push_back(std::nullopt);
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->saveRequests[1].presetFileName, second);
    QCOMPARE(readAll(previewFile()), drawing);
    // A preview left from a cancel is written over in its place.
    dialogs_->saveChoices.push_back(SaveChoice{path("b.bmp"), SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->saveRequests[2].presetFileName, second);
    QCOMPARE(readAll(previewFile()), drawing);
    QVERIFY(!QFile::exists(second));
    QVERIFY(dialogs_->yesNoQuestions.isEmpty());
}

void DocumentCommandsTest::saveOverIconThatHoldsMore_data()
{
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("question");  // empty: none is asked
    QTest::addColumn<bool>("yes");
    const QString saved = QStringLiteral("上書きすると 32 × 32 の 16 色のイメージ 1 個だけになります。上書きしますか?");
    // Files of several images whose 32 x 32 image opens: tst_icon_images_kept.
    QTest::newRow("one 48 x 48 image")
        << "only48.ico" << QStringLiteral("このファイルのイメージは 48 × 48 の 256 色です。") + saved << false;
    QTest::newRow("one 16 x 16 image")
        << "only16.ico" << QStringLiteral("このファイルのイメージは 16 × 16 の 16 色です。") + saved << false;
    QTest::newRow("256 colours")
        << "depth8.ico" << QStringLiteral("このファイルのイメージは 32 × 32 の 256 色です。") + saved << false;
    QTest::newRow("24-bit")
        << "depth24.ico" << QStringLiteral("このファイルのイメージは 32 × 32 の フルカラーです。") + saved << false;
    QTest::newRow("alpha") << "depth32_alpha.ico"
                           << QStringLiteral("このファイルのイメージは 32 × 32 の 透明度付きフルカラーです。") + saved
                           << true;
    QTest::newRow("PNG image")
        << "png_gray16.ico" << QStringLiteral("このファイルのイメージは 24 × 24 の PNG 形式です。") + saved << false;
    QTest::newRow("2 colours, as saved") << "depth1.ico" << QString() << true;
    QTest::newRow("the editor's own kind") << "own" << QString() << true;
}

void DocumentCommandsTest::saveOverIconThatHoldsMore()
{
    QFETCH(QString, icon);
    QFETCH(QString, question);
    QFETCH(bool, yes);
    const QString file = path(icon == u"own" ? QStringLiteral("own.ico") : icon);
    if (icon == u"own") {
        modify();
        form_->canvas().document().rename(file.toStdString());
        form_->ActSaveExecute();
    } else {
        QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/") + icon, file));
    }
    const QByteArray before = readAll(file);
    form_->show();
    form_->OpenImageFile(file);
    modify();
    if (!question.isEmpty())
        dialogs_->yesNoAnswers.push_back(yes);
    // From the unsaved-changes question on closing, as from Ctrl+S.
    dialogs_->saveAnswers.push_back(SaveAnswer::Yes);
    form_->ActExitExecute();

    QCOMPARE(dialogs_->yesNoQuestions, question.isEmpty() ? QList<QString>{} : QList<QString>{question});
    QCOMPARE(form_->isVisible(), !yes);
    QCOMPARE(bool(form_->canvas().document().ImageModified), !yes);
    QCOMPARE(readAll(file).size(), yes ? 766 : before.size());
    if (!yes)
        QCOMPARE(readAll(file), before);
}

void DocumentCommandsTest::failedSaveAsKeepsEarlierName()
{
    const QString earlier = path("earlier.bmp");
    modify();
    form_->canvas().document().rename(earlier.toStdString());
    dialogs_->saveChoices.push_back(SaveChoice{path("missing/x.bmp"), SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->errors.size(), 1);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), earlier);
    QVERIFY(form_->canvas().document().ImageModified);
    // A refusal for the icon's size is not a failure: the name is emptied.
    form_->ActSize1Execute();
    dialogs_->saveChoices.push_back(SaveChoice{path("small.ico"), SaveKind::Icon});
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->refusals, QList<QString>{kIconSizeRefusal});
    QVERIFY(form_->canvas().document().CurrentFileName().empty());
}

QTEST_MAIN(DocumentCommandsTest)
// What the state folder knows of another editor's preview is kept when
// this one's goes.
void DocumentCommandsTest::recordOfAnotherPreviewStays()
{
    const QString state = home_->path() + "/state";
    SavePreview preview(state.toStdString());
    QVERIFY(!preview.write(std::vector<std::uint8_t>{1, 2}).isEmpty());
    writeAll(state + "/save-preview", "1 2 3 4 5\n/elsewhere/_.bmp\n");
    preview.remove();
    QCOMPARE(readAll(state + "/save-preview"), QByteArray("1 2 3 4 5\n/elsewhere/_.bmp\n"));
}

#include "tst_document_commands.moc"
