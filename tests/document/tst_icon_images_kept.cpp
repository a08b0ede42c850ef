// Saving a drawing into an icon file of several images, through the window
// with scripted dialogs; what is written is judged by icotool, Pillow and Qt's ico
// reader, and the kept images by their bytes.
#include "app/pimo_form.h"
#include "document/document_commands.h"
#include "support/icotool.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include <utime.h>

using namespace pimoko;

namespace {

const QString kOneImage = QStringLiteral("いいえ: 32 × 32 の 16 色のイメージ 1 個だけにします。\r\nキャンセル: 保存しません。");
const QString kLoss = QStringLiteral("このファイルには 2 個のイメージがあります。上書きすると 32 × 32 の 16 色のイメージ "
                                     "1 個だけになります。上書きしますか?");
constexpr QRgb kDrawn = 0xFFFF0000;  // the pixel the tests draw at (3, 4): red

} // namespace

class IconImagesKeptTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void drawingReplacesItsImageOnly_data();
    void drawingReplacesItsImageOnly();
    void otherAnswers();
    void noKeepingWhenItWouldLosePixels_data();
    void noKeepingWhenItWouldLosePixels();
    void keepQuestionSaysWhy_data();
    void keepQuestionSaysWhy();
    void tooLargeToKeep();
    void newDrawingIsNotMerged_data();
    void newDrawingIsNotMerged();

private:
    QString path(const QString& name) const { return home_->path() + QLatin1Char('/') + name; }
    // An icon made by icotool from the pictures of initTestCase.
    QString icon(const QString& name, const QStringList& parts)
    {
        const QString file = path(name);
        const ProgramRun run = runTool(QStringList{"-c", "-o", file} + parts, QStringLiteral("icotool"));
        return run.status == 0 ? file : QString();
    }
    void openAndDraw(const QString& file)
    {
        form_->show();
        form_->OpenImageFile(file);
        form_->canvas().document().strokePixels().setPixel(3, 4, 0x0000FF);
        form_->canvas().document().finishStroke();
        form_->RefreshAfterEdit();
    }

    QTemporaryDir pictures_;
    std::unique_ptr<PrivateHome> home_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TPimoForm1> form_;
};

void IconImagesKeptTest::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable("icotool").isEmpty(), "icoutils is missing: make deps installs it");
    // A few colours, none of them white (the opened picture's background) or red.
    const QList<QColor> colours{0xFF000000, 0xFF008000, 0xFF000080, 0xFF808000, 0xFFC0C0C0, 0xFF00FFFF, 0xFF800080};
    for (const int side : {16, 32, 48, 256}) {
        QImage image(side, side, QImage::Format_ARGB32);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                image.setPixelColor(x, y, x < 2 || (x + y) % 9 == 0 ? QColor(Qt::transparent) : colours[(x * 3 + y) % 7]);
        QVERIFY(image.save(pictures_.filePath(QStringLiteral("p%1.png").arg(side))));
    }
    // Pastel colours of their own, as an icon of 16 colours may have.
    QImage pastel(32, 32, QImage::Format_RGB32);
    for (int i = 0; i < 32 * 32; ++i)
        pastel.setPixelColor(i % 32, i / 32, QColor::fromHsv((i % 5) * 60, 60, 240));
    QVERIFY(pastel.save(pictures_.filePath("pastel.png")));
    // And 16 of them, every place of a 4-bit colour table taken.
    for (int i = 0; i < 32 * 32; ++i)
        pastel.setPixelColor(i % 32, i / 32, QColor::fromHsv((i % 16) * 22, 60, 240));
    QVERIFY(pastel.save(pictures_.filePath("pastel16.png")));
}

void IconImagesKeptTest::init()
{
    home_ = std::make_unique<PrivateHome>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TPimoForm1>(std::move(dialogs));
}

void IconImagesKeptTest::cleanup()
{
    form_.reset();
    home_.reset();
}

void IconImagesKeptTest::drawingReplacesItsImageOnly_data()
{
    QTest::addColumn<QString>("form");   // of the 32 x 32 image: icotool's -b, or raw for PNG
    QTest::addColumn<QString>("others"); // icotool's -b for the 16 and 48 pixel images
    QTest::addColumn<QString>("depth");  // as the question names it
    QTest::addColumn<bool>("saveAs");
    QTest::newRow("4 bits") << "4" << "4" << "16 色" << false;
    QTest::newRow("8 bits") << "8" << "8" << "256 色" << false;
    QTest::newRow("32 bits") << "32" << "32" << "フルカラー" << false;
    QTest::newRow("PNG") << "raw" << "32" << "PNG 形式" << false;
    QTest::newRow("save as onto it") << "8" << "8" << "256 色" << true;
}

void IconImagesKeptTest::drawingReplacesItsImageOnly()
{
    QFETCH(QString, form);
    QFETCH(QString, others);
    QFETCH(QString, depth);
    QFETCH(bool, saveAs);
    const QString p = pictures_.path() + QLatin1Char('/');
    const QStringList middle =
        form == u"raw" ? QStringList{"--raw=" + p + "p32.png"} : QStringList{"-b", form, p + "p32.png"};
    const QString file = icon("app.ico", QStringList{"-b", others, p + "p16.png"} + middle
                                             + QStringList{"-b", others, p + "p48.png", "--raw=" + p + "p256.png"});
    QVERIFY(!file.isEmpty());
    const Bytes before = readFileBytes(file);
    const QString listed = runTool({"-l", file}, "icotool").out;
    const std::vector<RgbaImage> pictures = icotoolImages(file, path("before"));
    openAndDraw(file);
    dialogs_->keepAnswers.push_back(SaveAnswer::Yes);
    if (saveAs) {
        dialogs_->saveChoices.push_back(SaveChoice{file, SaveKind::Icon});
        form_->ActSaveAsExecute();
    } else {
        form_->ActSaveExecute();
    }

    QCOMPARE(dialogs_->keepQuestions,
             QList<QString>{"このファイルには 4 個のイメージがあります。32 × 32 の " + depth +
                            "のイメージを書き換え、ほかの 3 個はそのまま残しますか?\r\n\r\n" + kOneImage});
    QVERIFY(dialogs_->yesNoQuestions.isEmpty());
    QVERIFY(!form_->canvas().document().ImageModified);
    const Bytes after = readFileBytes(file);
    const std::vector<Bytes> kept = iconEntryData(before), written = iconEntryData(after);
    QCOMPARE(written.size(), std::size_t(4));
    for (const std::size_t i : {0, 2, 3})
        QVERIFY(written[i] == kept[i]);
    QCOMPARE(runTool({"-l", file}, "icotool").out, listed);
    // The drawing, with the corner's colour transparent, as icotool and Qt see it.
    RgbaImage expected = pictures[1];
    expected.setPixel(3, 4, Rgba{255, 0, 0, 255});
    const std::vector<RgbaImage> now = icotoolImages(file, path("after"));
    QCOMPARE(now.size(), std::size_t(4));
    QVERIFY(now[0] == pictures[0] && now[2] == pictures[2] && now[3] == pictures[3]);
    QVERIFY(now[1] == expected);
    QCOMPARE(readIconWithQt(after).at(1).pixel(3, 4), kDrawn);
    // Pillow, a third reader, picks the 32 x 32 image out of the directory itself.
    const QString pillowPng = path("pillow.png");
    QCOMPARE(runProgram({"-c", "import sys; from PIL import Image; im = Image.open(sys.argv[1]); im.size = (32, 32); "
                               "im.convert('RGBA').save(sys.argv[2])",
                         file, pillowPng}, {}, "/usr/bin/python3").status, 0);
    QVERIFY(rgbaImageOf(QImage(pillowPng)) == expected);
    // Saved again, it asks again: the file still holds the others.
    dialogs_->keepAnswers.push_back(SaveAnswer::Cancel);
    form_->canvas().document().strokePixels().setPixel(5, 5, 0x0000FF);
    form_->canvas().document().finishStroke();
    form_->ActSaveExecute();
    QCOMPARE(dialogs_->keepQuestions.size(), 2);
    QVERIFY(readFileBytes(file) == after);
}

void IconImagesKeptTest::otherAnswers()
{
    const QString p = pictures_.path() + QLatin1Char('/');
    const QString file = icon("two.ico", {"-b", "4", p + "p16.png", "-b", "4", p + "p32.png"});
    const Bytes before = readFileBytes(file);
    openAndDraw(file);
    // キャンセル from the closing question: nothing written, the window stays.
    dialogs_->saveAnswers.push_back(SaveAnswer::Yes);
    dialogs_->keepAnswers.push_back(SaveAnswer::Cancel);
    form_->ActExitExecute();
    QVERIFY(form_->isVisible());
    QVERIFY(readFileBytes(file) == before);
    // いいえ: the one image the editor writes.
    dialogs_->keepAnswers.push_back(SaveAnswer::No);
    form_->ActSaveExecute();
    QCOMPARE(readFileBytes(file).size(), std::size_t(766));
    QCOMPARE(readIconWithQt(readFileBytes(file)).at(0).pixel(3, 4), kDrawn);
}

void IconImagesKeptTest::noKeepingWhenItWouldLosePixels_data()
{
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<int>("side");  // of the drawing when saved
    QTest::addColumn<QString>("question");
    QTest::newRow("16 x 16 image opened")
        << QStringList{"-b", "8", "p16.png", "-b", "4", "p48.png"} << 32
        << "開いたイメージは 16 × 16 なので、ほかのイメージを残して書き換えることはできません。" + kLoss;
    QTest::newRow("drawing reduced to 16 x 16")
        << QStringList{"-b", "4", "p16.png", "-b", "4", "p32.png"} << 16
        << QStringLiteral("画像の大きさが 32 × 32 でなくなったので、ほかのイメージを残して書き換えることはできません。")
               + QStringLiteral("このファイルには 2 個のイメージがあります。上書きすると 16 × 16 の 16 色のイメージ "
                                "1 個だけになります。上書きしますか?");
    QTest::newRow("one image of its own colours")
        << QStringList{"-b", "4", "pastel.png"} << 32
        << QStringLiteral("このファイルの 16 色は標準の 16 色と違います。上書きすると標準の 16 色に置き換わります。上書きしますか?");
}

void IconImagesKeptTest::noKeepingWhenItWouldLosePixels()
{
    QFETCH(QStringList, parts);
    QFETCH(int, side);
    QFETCH(QString, question);
    for (QString& part : parts)
        if (part.endsWith(u".png"))
            part = pictures_.filePath(part);
    const QString file = icon("some.ico", parts);
    const Bytes before = readFileBytes(file);
    openAndDraw(file);
    if (side == 16)
        form_->ActSize1Execute();
    dialogs_->yesNoAnswers.push_back(false);
    form_->ActSaveExecute();
    QCOMPARE(dialogs_->yesNoQuestions, QList<QString>{question});
    QVERIFY(dialogs_->keepQuestions.isEmpty());
    QVERIFY(readFileBytes(file) == before);
}

void IconImagesKeptTest::keepQuestionSaysWhy_data()
{
    QTest::addColumn<QString>("change"); // what happens after the drawing: touched, removed or nothing
    QTest::addColumn<QString>("thirtyTwo"); // the 32 x 32 picture of the file
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("why");    // a part of the question; %1 the file
    QTest::newRow("written again") << "touched" << "p32.png" << false << QStringLiteral("このファイルは開いた後に変更されたため");
    QTest::newRow("removed") << "removed" << "p32.png" << false
                             << QStringLiteral("ファイル \"%1\". ファイルまたはフォルダが見つかりません は開けません");
    QTest::newRow("colour without a place in its table")
        << "" << "pastel16.png" << true << QStringLiteral("残しますか?（このイメージの色表に入らない色は近い色になります）");
}

void IconImagesKeptTest::keepQuestionSaysWhy()
{
    QFETCH(QString, change);
    QFETCH(QString, thirtyTwo);
    QFETCH(bool, offered);
    QFETCH(QString, why);
    const QString file = icon("why.ico", {"-b", "4", pictures_.filePath("p16.png"), "-b", "4", pictures_.filePath(thirtyTwo)});
    openAndDraw(file);
    // Its bytes the same, its times not: another program wrote it.
    const utimbuf times{1000000000, 1000000000};
    if (!change.isEmpty())
        QCOMPARE(::utime(QFile::encodeName(file).constData(), &times), 0);
    if (change == u"removed")
        QVERIFY(QFile::remove(file));
    const Bytes before = readFileBytes(file);
    dialogs_->keepAnswers.push_back(SaveAnswer::Cancel);
    form_->ActSaveExecute();
    QCOMPARE(dialogs_->keepOffered, QList<bool>{offered});
    QVERIFY2(dialogs_->keepQuestions.at(0).contains(QString(why).replace(QStringLiteral("%1"), file)),
             qPrintable(dialogs_->keepQuestions.at(0)));
    QVERIFY(readFileBytes(file) == before);
}

void IconImagesKeptTest::tooLargeToKeep()
{
    // A 32 x 32 image, and two more entries sharing one block of 3 MiB:
    // written out, each would hold its own copy.
    const Bytes image = iconEntryData(readFileBytes(icon("one.ico", {"-b", "8", pictures_.filePath("p32.png")}))).at(0);
    Bytes file{0, 0, 1, 0, 3, 0, 32, 32, 0, 0, 1, 0, 8, 0};
    put32(file, std::uint32_t(image.size()));
    put32(file, 54);
    for (int i = 0; i < 2; ++i) {
        file.insert(file.end(), {16, 16, 0, 0, 1, 0, 4, 0});
        put32(file, 3u << 20);
        put32(file, std::uint32_t(54 + image.size()));
    }
    file.insert(file.end(), image.begin(), image.end());
    file.resize(file.size() + (3u << 20));
    writeBytes(path("shared.ico"), file);
    openAndDraw(path("shared.ico"));
    dialogs_->keepAnswers.push_back(SaveAnswer::Yes);
    form_->ActSaveExecute();
    QCOMPARE(dialogs_->errors, QList<QString>{QStringLiteral("ファイルが大きすぎます")});
    QVERIFY(readFileBytes(path("shared.ico")) == file);
}

void IconImagesKeptTest::newDrawingIsNotMerged_data()
{
    QTest::addColumn<bool>("cursor");
    QTest::newRow("new image") << false;
    QTest::newRow("cursor creation") << true;
}

void IconImagesKeptTest::newDrawingIsNotMerged()
{
    QFETCH(bool, cursor);
    const QString file = icon("app.ico", {"-b", "4", pictures_.filePath("p16.png"), "-b", "8", pictures_.filePath("p32.png")});
    const Bytes before = readFileBytes(file);
    openAndDraw(file);
    dialogs_->saveAnswers.push_back(SaveAnswer::No);
    form_->documentCommands()->setProgramFilePath(path("pimoko"));
    cursor ? form_->ActMakeCursorExecute() : form_->ActNewExecute();
    // A drawing of its own, onto the file it does not come from: only the
    // replace question.
    dialogs_->yesNoAnswers.push_back(false);
    dialogs_->saveChoices.push_back(SaveChoice{file, SaveKind::Icon});
    form_->ActSaveAsExecute();
    QVERIFY(dialogs_->keepQuestions.isEmpty());
    QCOMPARE(dialogs_->yesNoQuestions.size(), 1);
    QVERIFY(dialogs_->yesNoQuestions.at(0).contains(QStringLiteral("は既に存在します。置き換えますか?")));
    QVERIFY(readFileBytes(file) == before);
}

QTEST_MAIN(IconImagesKeptTest)
#include "tst_icon_images_kept.moc"
