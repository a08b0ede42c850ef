#include "app/action_list.h"
#include "app/pimo_form.h"
#include "document/document_commands.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_picture.h"
#include "files/codec/pe_icon.h"
#include "support/file_bytes.h"
#include "support/find_child.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include <unistd.h>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::SaveAnswer)

namespace {

const QString kData = QStringLiteral(PIMOKO_TEST_DATA_DIR);
const QString kFormatRefusal = QStringLiteral(" このソフトで開けるファイル形式は\r\n\r\n 『 BMP,ICO,EXE 』　だけです。");
const QString kSizeRefusal = QStringLiteral(" このソフトで開けるサイズは\r\n\r\n 『 64 X 64 』　以下です。");

std::vector<std::uint8_t> bytesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

// A bitmap of w x h with a colour per pixel that tells where it is.
PixelBuffer pattern(int w, int h, PixelFormat format = PixelFormat::trueColor32())
{
    PixelBuffer image(w, h, kWhite, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, rgb(x * 4, y * 4, 0x80));
    return image;
}

} // namespace

// Opening pictures through the window: the kinds, the refusals, the read
// errors, the question, the three ways in, and cursor creation mode.
class OpenImageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensEachKind_data();
    void opensEachKind();
    void refusedOrUnreadableLeavesWindowAsItWas_data();
    void refusedOrUnreadableLeavesWindowAsItWas();
    void questionComesFirst_data();
    void questionComesFirst();
    void commandLineOpensEachInTurn();
    void dropOpensTheFirstFileWhole();
    void openCommandUsesTheDialog();
    void cursorFileStartsCursorMode();
    void cursorFileGoesToUserFolderWhenProgramFolderRefuses_data();
    void cursorFileGoesToUserFolderWhenProgramFolderRefuses();
    void cursorFileNowhereToWriteLeavesWindowAsItWas_data();
    void cursorFileNowhereToWriteLeavesWindowAsItWas();

private:
    QString path(const QString& name) const { return home_->path() + QLatin1Char('/') + name; }
    void makeForm(QStringList files = {})
    {
        auto dialogs = std::make_unique<ScriptedDialogs>();
        dialogs_ = dialogs.get();
        form_ = std::make_unique<TPimoForm1>(std::move(dialogs), std::move(files));
        form_->documentCommands()->setProgramFilePath(path(QStringLiteral("bin/pimoko")));
        QDir().mkpath(path(QStringLiteral("bin")));
    }
    // The document as the window shows it, to compare before and after.
    struct Look {
        PixelBuffer image;
        std::string name;
        bool modified;
        QString caption;
        bool actualSizeShown;
        bool masksShown;
        bool rescueEnabled;
        bool operator==(const Look&) const = default;
    };
    Look look() const
    {
        return {form_->canvas().actualSize(),
                form_->canvas().document().CurrentFileName(),
                form_->canvas().document().ImageModified,
                form_->windowTitle(),
                findNamedChild(form_.get(), "Im2")->isVisible(),
                findNamedChild(form_.get(), "MaskPanel")->isVisible(),
                form_->actions()->ActUndo->isEnabled()};
    }
    void drawSomething()
    {
        QTest::mouseClick(findNamedChild(form_.get(), "Im1"), Qt::LeftButton, {}, QPoint(9, 9));
    }

    std::unique_ptr<PrivateHome> home_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TPimoForm1> form_;
};

void OpenImageTest::init()
{
    home_ = std::make_unique<PrivateHome>();
    makeForm();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void OpenImageTest::cleanup()
{
    form_.reset();
    home_.reset();
}

void OpenImageTest::opensEachKind_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<PixelBuffer>("expected");
    QTest::addColumn<bool>("masks");
    const PixelBuffer only16 = readIconPicture(bytesOf(kData + QStringLiteral("/icons/only16.ico")));
    QTest::newRow("bitmap 64 x 1") << "wide.bmp" << pattern(64, 1) << false;
    QTest::newRow("bitmap 64 x 64, upper-case extension") << "big.BMP" << pattern(64, 64) << false;
    QTest::newRow("bitmap 5 x 3 in 4 bits") << "small.bmp" << pattern(5, 3, PixelFormat::indexed(1, {kBlack, kWhite}))
                                            << false;
    QTest::newRow("icon with only 16 x 16") << kData + "/icons/only16.ico" << only16 << true;
    QTest::newRow("program") << kData + "/pe/pe32_icon.exe"
                             << readProgramIconPicture(bytesOf(kData + QStringLiteral("/pe/pe32_icon.exe"))) << true;
}

void OpenImageTest::opensEachKind()
{
    QFETCH(QString, file);
    QFETCH(PixelBuffer, expected);
    QFETCH(bool, masks);
    if (!file.startsWith(QLatin1Char('/'))) {
        file = path(file);
        writeBytes(file, bitmapFileBytes(expected));
    }
    drawSomething();
    form_->canvas().document().markSaved(form_->canvas().document().CurrentFileName());
    form_->OpenImageFile(file);
    QVERIFY(dialogs_->errors.isEmpty() && dialogs_->refusals.isEmpty());
    QCOMPARE(form_->canvas().actualSize(), expected);
    QCOMPARE(form_->canvas().actualSize().format(), expected.format());
    QCOMPARE(form_->canvas().magnifiedView.width(), 6 * expected.width());
    // The magnified view shows each pixel in its 5 x 5 block inside the grid.
    const int x = expected.width() - 1, y = expected.height() - 1;
    QCOMPARE(form_->canvas().magnifiedView.pixel(6 * x + 5, 6 * y + 5), expected.pixel(x, y));
    QCOMPARE(form_->canvas().magnifiedView.pixel(6 * x, 6 * y), kBlack);
    const Look after = look();
    QCOMPARE(after.name, file.toStdString());
    QVERIFY(!after.modified);
    QCOMPARE(after.caption, QStringLiteral(" ピモコ   ルポミ舎     ") + QFileInfo(file).fileName());
    QVERIFY(after.actualSizeShown);
    QCOMPARE(after.masksShown, masks);
    QVERIFY(!after.rescueEnabled);
    QCOMPARE(form_->rescueHistory().FRescueCount, 0);
    QCOMPARE(findNamedChild<QLineEdit>(form_.get(), "size")->text(),
             QStringLiteral(" %1 x %2").arg(expected.width()).arg(expected.height()));
    QVERIFY(findNamedChild(form_.get(), "Button1")->hasFocus());
}

void OpenImageTest::refusedOrUnreadableLeavesWindowAsItWas_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("error");  // the start of the error box's text
    QTest::newRow("png") << "x.png" << kFormatRefusal << "";
    QTest::newRow("dll") << "x.dll" << kFormatRefusal << "";
    QTest::newRow("no extension") << "x" << kFormatRefusal << "";
    QTest::newRow("65 x 64") << "w65.bmp" << kSizeRefusal << "";
    QTest::newRow("64 x 65") << "h65.bmp" << kSizeRefusal << "";
    QTest::newRow("missing bitmap") << "missing.bmp" << "" << "ファイル \"%1\". ";
    QTest::newRow("missing program") << "missing.exe" << "" << "ファイル \"%1\". ";
    QTest::newRow("folder named like a bitmap") << "folder.bmp" << "" << "ファイル \"%1\". ";
    QTest::newRow("bitmap of 1 TiB") << "huge.bmp" << "" << "ファイル \"%1\". ";
    QTest::newRow("not a bitmap") << "text.bmp" << "" << "ビットマップイメージが不正です";
    QTest::newRow("standard cursor, type 2") << "tool.cur" << "" << "アイコンイメージが不正です";
    QTest::newRow("empty icon") << "empty.ico" << "" << "アイコンイメージが不正です";
}

void OpenImageTest::refusedOrUnreadableLeavesWindowAsItWas()
{
    QFETCH(QString, file);
    QFETCH(QString, refusal);
    QFETCH(QString, error);
    const QString full = path(file);
    if (file == QStringLiteral("w65.bmp"))
        writeBytes(full, bitmapFileBytes(pattern(65, 64)));
    else if (file == QStringLiteral("h65.bmp"))
        writeBytes(full, bitmapFileBytes(pattern(64, 65)));
    else if (file == QStringLiteral("folder.bmp"))
        QDir().mkpath(full);
    else if (file == QStringLiteral("huge.bmp"))
        QVERIFY(QFile(full).open(QIODevice::WriteOnly) && QFile::resize(full, qint64(1) << 40));  // a hole: no disk
    else if (file == QStringLiteral("text.bmp"))
        writeBytes(full, {'h', 'e', 'l', 'l', 'o'});
    else if (file == QStringLiteral("tool.cur"))
        QFile::copy(QStringLiteral(PIMOKO_SOURCE_DIR "/resources/cursors/pen.cur"), full);
    else if (file == QStringLiteral("empty.ico"))
        writeBytes(full, {});
    else if (file.contains(QLatin1Char('.')) && !file.startsWith(QStringLiteral("missing")))
        writeBytes(full, bitmapFileBytes(pattern(4, 4)));
    // A bitmap document with its previews hidden and a rescue step.
    writeBytes(path(QStringLiteral("before.bmp")), bitmapFileBytes(pattern(8, 8)));
    form_->OpenImageFile(path(QStringLiteral("before.bmp")));
    drawSomething();
    const Look before = look();
    QVERIFY(before.rescueEnabled && before.modified);

    dialogs_->saveAnswers.push_back(SaveAnswer::No);
    form_->OpenImageFile(full);
    if (!refusal.isEmpty())
        QCOMPARE(dialogs_->refusals, QList<QString>{refusal});
    else
        QVERIFY2(dialogs_->errors.size() == 1 && dialogs_->errors[0].startsWith(error.arg(full)),
                 qPrintable(dialogs_->errors.value(0)));
    QVERIFY(look() == before);
}

void OpenImageTest::questionComesFirst_data()
{
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<bool>("opens");
    QTest::newRow("yes, saved") << SaveAnswer::Yes << true;
    QTest::newRow("yes, save-as cancelled") << SaveAnswer::Yes << false;
    QTest::newRow("no") << SaveAnswer::No << true;
    QTest::newRow("cancel") << SaveAnswer::Cancel << false;
}

void OpenImageTest::questionComesFirst()
{
    QFETCH(SaveAnswer, answer);
    QFETCH(bool, opens);
    const QString file = path(QStringLiteral("next.bmp"));
    writeBytes(file, bitmapFileBytes(pattern(10, 10)));
    drawSomething();
    dialogs_->saveAnswers.push_back(answer);
    if (answer == SaveAnswer::Yes)
        dialogs_->saveChoices.push_back(opens ? std::optional(SaveChoice{path("saved.bmp"), SaveKind::Bitmap})
                                              : std::nullopt);
    form_->OpenImageFile(file);
    QCOMPARE(dialogs_->questions.size(), 1);
    QCOMPARE(form_->canvas().document().CurrentFileName() == file.toStdString(), opens);
    QCOMPARE(form_->canvas().ImageWidth(), opens ? 10 : 32);
}

void OpenImageTest::commandLineOpensEachInTurn()
{
    writeBytes(path(QStringLiteral("one.bmp")), bitmapFileBytes(pattern(3, 3)));
    writeBytes(path(QStringLiteral("two.bmp")), bitmapFileBytes(pattern(7, 2)));
    form_.reset();
    QDir::setCurrent(home_->path());
    makeForm({QStringLiteral("one.bmp"), QStringLiteral("two.bmp")});
    form_->show();
    QTRY_COMPARE(form_->canvas().ImageWidth(), 7);
    // A relative name stays as it was given.
    QCOMPARE(form_->canvas().document().CurrentFileName(), std::string("two.bmp"));
    QVERIFY(form_->windowTitle().endsWith(QStringLiteral("two.bmp")));
    QVERIFY(findNamedChild(form_.get(), "Button1")->hasFocus());
}

void OpenImageTest::dropOpensTheFirstFileWhole()
{
    // A path far longer than 259 characters.
    QString folder = home_->path();
    for (int i = 0; i < 12; ++i)
        folder += QStringLiteral("/a-rather-long-folder-name-%1").arg(i);
    QVERIFY(QDir().mkpath(folder));
    const QString first = folder + QStringLiteral("/first.bmp");
    QVERIFY(first.size() > 300);
    writeBytes(first, bitmapFileBytes(pattern(6, 6)));
    writeBytes(path(QStringLiteral("second.bmp")), bitmapFileBytes(pattern(9, 9)));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(path(QStringLiteral("second.bmp"))),
                  QUrl::fromLocalFile(path(QStringLiteral("third.png")))});
    // A source that proposes a move (Shift held) gets a copy back: a move
    // would have it delete the user's file.
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(200, 200), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(enter.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(form_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(200, 200), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(form_.get(), &drop);
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QCOMPARE(form_->canvas().document().CurrentFileName(), first.toStdString());
    QCOMPARE(form_->canvas().ImageWidth(), 6);
    QVERIFY(dialogs_->refusals.isEmpty() && dialogs_->errors.isEmpty());
}

void OpenImageTest::openCommandUsesTheDialog()
{
    writeBytes(path(QStringLiteral("picked.bmp")), bitmapFileBytes(pattern(12, 5)));
    dialogs_->openChoices.push_back(std::nullopt);
    form_->actions()->ActOpen->trigger();
    QCOMPARE(form_->canvas().ImageWidth(), 32);
    dialogs_->openChoices.push_back(path(QStringLiteral("picked.bmp")));
    form_->actions()->ActOpen->trigger();
    QCOMPARE(dialogs_->openRequests, 2);
    QCOMPARE(form_->canvas().ImageWidth(), 12);
}

void OpenImageTest::cursorFileStartsCursorMode()
{
    // The program's own cursor file, opened twice: read, then rewritten.
    const QString programCursor = form_->documentCommands()->programCursorFile();
    QCOMPARE(programCursor, path(QStringLiteral("bin/pimoko.cur")));
    writeBytes(programCursor, bytesOf(kData + QStringLiteral("/icons/depth4_16_32.ico")));
    const PixelBuffer expected = readIconPicture(bytesOf(programCursor));
    for (int round = 0; round < 2; ++round) {
        form_->OpenImageFile(programCursor);
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(form_->leftColor(), kBlack);
        QCOMPARE(form_->rightColor(), kWhite);
        QVERIFY(findNamedChild(form_.get(), "MaskPanel")->isVisible());
        QCOMPARE(form_->canvas().actualSize(), round == 0 ? expected : readIconPicture(bytesOf(programCursor)));
        QVERIFY(form_->windowTitle().endsWith(QStringLiteral("pimoko.cur")));
        // Rewritten: the icon layout of a fully transparent 32 x 32 image.
        const std::vector<std::uint8_t> written = bytesOf(programCursor);
        QCOMPARE(written.size(), std::size_t(766));
        QVERIFY(std::all_of(written.begin() + 126, written.begin() + 126 + 512, [](auto b) { return b == 0; }));
        QVERIFY(std::all_of(written.begin() + 638, written.end(), [](auto b) { return b == 0xFF; }));
    }
    // The second opening read the transparent file: all white on the canvas.
    QCOMPARE(form_->canvas().actualSize(), PixelBuffer(32, 32, kWhite));
}

void OpenImageTest::cursorFileGoesToUserFolderWhenProgramFolderRefuses_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("folder that cannot be written") << QStringLiteral("/proc/pimoko-test/pimoko");
    // An installed program's folder: root may write it, but it is not root's.
    QTest::newRow("folder of another user") << QString();
}

void OpenImageTest::cursorFileGoesToUserFolderWhenProgramFolderRefuses()
{
    QFETCH(QString, program);
    if (program.isEmpty()) {
        QVERIFY(QDir().mkpath(path(QStringLiteral("others"))));
        // Not root: a folder every user may write, that is root's.
        program = ::geteuid() == 0 ? path(QStringLiteral("others/pimoko"))
                                   : QStringLiteral("/tmp/pimoko-test-%1").arg(QCoreApplication::applicationPid());
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(path(QStringLiteral("others"))).constData(), 65534, 65534), 0);
    }
    form_->documentCommands()->setProgramFilePath(program);
    const QString cursor = path(QStringLiteral("arrow.cur"));
    writeBytes(cursor, bytesOf(kData + QStringLiteral("/icons/only16.ico")));
    form_->OpenImageFile(cursor);
    QVERIFY(dialogs_->errors.isEmpty());
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QVERIFY(own.startsWith(home_->path()));
    QCOMPARE(QFileInfo(own + QStringLiteral("/") + QFileInfo(program).fileName() + QStringLiteral(".cur")).size(), 766);
    QVERIFY(!QFile::exists(program + QStringLiteral(".cur")));
    QCOMPARE(form_->canvas().document().CurrentFileName(), cursor.toStdString());
}

void OpenImageTest::cursorFileNowhereToWriteLeavesWindowAsItWas_data()
{
    QTest::addColumn<bool>("modified");
    QTest::newRow("modified document") << true;
    QTest::newRow("unmodified document") << false;
}

void OpenImageTest::cursorFileNowhereToWriteLeavesWindowAsItWas()
{
    QFETCH(bool, modified);
    form_->documentCommands()->setProgramFilePath(QStringLiteral("/proc/pimoko-test/pimoko"));
    qputenv("XDG_DATA_HOME", "/proc/pimoko-test/data");
    const QString cursor = path(QStringLiteral("arrow.cur"));
    writeBytes(cursor, bytesOf(kData + QStringLiteral("/icons/only16.ico")));
    drawSomething();
    if (modified)
        dialogs_->saveAnswers.push_back(SaveAnswer::No);
    else
        form_->canvas().document().markSaved(form_->canvas().document().CurrentFileName());  // as after a save
    const Look before = look();
    const PenColors colors{form_->leftColor(), form_->rightColor()};
    form_->OpenImageFile(cursor);
    QCOMPARE(dialogs_->errors.size(), 1);
    QVERIFY2(dialogs_->errors[0].startsWith(QStringLiteral("ファイル \"/proc/pimoko-test/pimoko.cur\". ")),
             qPrintable(dialogs_->errors[0]));
    QVERIFY(look() == before);
    QCOMPARE(form_->leftColor(), colors.left);
    QCOMPARE(form_->rightColor(), colors.right);
}

QTEST_MAIN(OpenImageTest)
#include "tst_open_image.moc"
