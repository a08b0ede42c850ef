#include "app/pimo_form.h"
#include "files/document_commands.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::SaveAnswer)

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray kIconStart = QByteArray::fromHex("000001000100");

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
    void iconFilterRefusesOtherSizes();
    void bitmapFilterWithIcoNameThenSaveWritesIcon();
    void keepingThePreviewNameKeepsTheFile();
    void questionAnswers_data();
    void questionAnswers();
    void noQuestionWhenUnmodified();
    void failedSaveKeepsFileAndWork_data();
    void failedSaveKeepsFileAndWork();
    void previewThatCannotBeWrittenStopsSaveAs();

private:
    void modify()
    {
        form_->canvas().document().pixels().setPixel(3, 4, 0x0000FF);
        form_->canvas().document().markModified();
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
    QCOMPARE(dialogs_->saveRequests[0].defaultSuffix, QStringLiteral("ico"));
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
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName), path("a.ico"));
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
    if (side == 16)
        form_->ActSize1Execute();
    else if (side == 64)
        form_->ActSize4Execute();
    modify();
    form_->canvas().document().CurrentFileName = path(name).toStdString();
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

void DocumentCommandsTest::iconFilterRefusesOtherSizes()
{
    form_->ActSize2Execute();
    modify();
    dialogs_->saveChoices.push_back(SaveChoice{path("b.ico"), SaveKind::Icon});
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->refusals, QList<QString>{QStringLiteral("ICON として保存出来るサイズは\r\n\r\n 『 32 x 32 』 だけなのです。")});
    QCOMPARE(dialogs_->beeps, 1);
    QVERIFY(!QFile::exists(path("b.ico")));
    QVERIFY(form_->canvas().document().CurrentFileName.empty());
    QVERIFY(form_->canvas().document().ImageModified);
    QVERIFY(QFile::exists(previewFile()));
    // The refusal leaves the default extension as it was.
    dialogs_->saveChoices.push_back(std::nullopt);
    form_->ActSaveExecute();
    QCOMPARE(dialogs_->saveRequests.last().defaultSuffix, QStringLiteral("ico"));
}

void DocumentCommandsTest::bitmapFilterWithIcoNameThenSaveWritesIcon()
{
    modify();
    dialogs_->saveChoices.push_back(SaveChoice{path("c.ico"), SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    QVERIFY(readAll(path("c.ico")).startsWith("BM"));
    modify();
    form_->ActSaveExecute();
    QCOMPARE(readAll(path("c.ico")).size(), 766);
    QVERIFY(readAll(path("c.ico")).startsWith(kIconStart));
    // The bitmap filter was the last accepted one.
    dialogs_->saveChoices.push_back(std::nullopt);
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->saveRequests.last().defaultSuffix, QStringLiteral("bmp"));
}

void DocumentCommandsTest::keepingThePreviewNameKeepsTheFile()
{
    modify();
    dialogs_->saveChoices.push_back(SaveChoice{previewFile(), SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    QCOMPARE(readAll(previewFile()).size(), 4150);
    QVERIFY(!form_->canvas().document().ImageModified);
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
        wentOn = form_->canvas().Im2().pixel(3, 4) == kWhite;
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
        QCOMPARE(form_->canvas().Im2().pixel(3, 4), Color(0x0000FF));
}

void DocumentCommandsTest::noQuestionWhenUnmodified()
{
    // An unscripted question would stop the test.
    form_->show();
    form_->canvas().document().CurrentFileName = path("named.ico").toStdString();
    form_->ActNewExecute();
    QVERIFY(form_->canvas().document().CurrentFileName.empty());
    QCOMPARE(form_->windowTitle(), QStringLiteral(" ピモコ   ルポミ舎     　新規画像"));
    form_->ActExitExecute();
    QVERIFY(!form_->isVisible());
    QVERIFY(dialogs_->questions.isEmpty());
}

void DocumentCommandsTest::failedSaveKeepsFileAndWork_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("setUp");
    QTest::newRow("target is a folder") << "folder.bmp" << "folder";
    QTest::newRow("through a missing folder") << "missing/x.bmp" << "";
    QTest::newRow("read-only folder") << "locked/x.bmp" << "locked folder";
    QTest::newRow("read-only file") << "old.bmp" << "locked file";
    QTest::newRow("folder no one can write") << "/proc/pimoko-test.bmp" << "";
}

void DocumentCommandsTest::failedSaveKeepsFileAndWork()
{
    QFETCH(QString, target);
    QFETCH(QString, setUp);
    const QString file = target.startsWith(QLatin1Char('/')) ? target : path(target);
    const QByteArray old("the earlier file");
    if (setUp == QStringLiteral("folder")) {
        QVERIFY(QDir().mkpath(file));
    } else if (setUp == QStringLiteral("locked folder") || setUp == QStringLiteral("locked file")) {
        if (geteuid() == 0)
            QSKIP("run as root, for whom permissions lock nothing");
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        writeAll(file, old);
        QFile::setPermissions(setUp == QStringLiteral("locked file") ? file : QFileInfo(file).absolutePath(),
                              QFile::ReadOwner | QFile::ExeOwner);
    }
    const QStringList before = QDir(home_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    modify();
    form_->canvas().document().CurrentFileName = file.toStdString();
    const QString caption = form_->windowTitle();
    form_->ActSaveExecute();

    QCOMPARE(dialogs_->errors.size(), 1);
    const QString error = dialogs_->errors.first();
    QVERIFY2(error.startsWith(QStringLiteral("ファイル \"%1\". ").arg(file)), qPrintable(error));
    QVERIFY2(error.endsWith(QStringLiteral(" を作成できません")), qPrintable(error));
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(form_->windowTitle(), caption);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName), file);
    if (!setUp.isEmpty() && setUp != QStringLiteral("folder"))
        QCOMPARE(readAll(file), old);
    // No half-written file left beside it.
    QCOMPARE(QDir(home_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    if (setUp == QStringLiteral("locked folder"))
        QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files), QStringList{QStringLiteral("x.bmp")});
}

void DocumentCommandsTest::previewThatCannotBeWrittenStopsSaveAs()
{
    // A file where the preview folder should be.
    QVERIFY(QDir().mkpath(home_->path() + QStringLiteral("/Desktop")));
    writeAll(DocumentCommands::previewFolder(), "in the way");
    modify();
    form_->ActSaveAsExecute();
    QCOMPARE(dialogs_->errors.size(), 1);
    QVERIFY(dialogs_->errors.first().contains(QStringLiteral("_.bmp")));
    QVERIFY(dialogs_->saveRequests.isEmpty());
    QVERIFY(form_->canvas().document().ImageModified);
}

QTEST_MAIN(DocumentCommandsTest)
#include "tst_document_commands.moc"
