// Saving and opening when the disk says no: a read-only folder or file, a
// full disk, and a file that vanishes or changes between the open dialog and
// the read. Each time: the system's error text, the earlier file unchanged,
// nothing left behind, the document and its modified flag as they were.
//
// Read-only folders and files lock nothing for root, and a full disk needs a
// small file system of its own: those rows run in a child process of this
// test, as "nobody" (setpriv) or in a private mount namespace with a 64 KiB
// tmpfs (unshare), and are skipped with the reason where neither is allowed.
#include "app/pimo_form.h"
#include "files/codec/bmp_writer.h"
#include "support/file_bytes.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <unistd.h>

using namespace pimoko;

namespace {

// Set in the child process: the row's conditions are already arranged
// (privileges dropped, or the folder given is a small tmpfs).
constexpr const char* kArrangedVariable = "PIMOKO_FAILURE_ARRANGED";
constexpr const char* kFolderVariable = "PIMOKO_FAILURE_FOLDER";

bool writtenWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The open dialog's answer, with something done to the file just before the
// editor reads it.
class ChangingDialogs : public ScriptedDialogs {
public:
    std::function<void()> beforeReading;
    std::optional<QString> askOpenFileName(QWidget* parent) override
    {
        auto choice = ScriptedDialogs::askOpenFileName(parent);
        if (beforeReading)
            beforeReading();
        return choice;
    }
};

} // namespace

class FileFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveRefused_data();
    void saveRefused();
    void openedFileChanged_data();
    void openedFileChanged();

private:
    // Runs this row in a child process under `wrapper`; false when the row
    // is to be run here.
    void runArranged(const QStringList& wrapper, const QString& folder);
    void modify()
    {
        form_->canvas().document().strokePixels().setPixel(3, 4, 0x0000FF);
        form_->canvas().document().finishStroke();
        form_->RefreshAfterEdit();
    }

    std::unique_ptr<PrivateHome> home_;
    ChangingDialogs* dialogs_ = nullptr;
    std::unique_ptr<TPimoForm1> form_;
};

void FileFailuresTest::init()
{
    home_ = std::make_unique<PrivateHome>();
    auto dialogs = std::make_unique<ChangingDialogs>();
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TPimoForm1>(std::move(dialogs));
}

void FileFailuresTest::cleanup()
{
    form_.reset();
    home_.reset();
}

void FileFailuresTest::runArranged(const QStringList& wrapper, const QString& folder)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kArrangedVariable), QStringLiteral("1"));
    if (!folder.isEmpty())
        environment.insert(QString::fromLatin1(kFolderVariable), folder);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    const QString row = QStringLiteral("%1:%2").arg(QString::fromLatin1(QTest::currentTestFunction()),
                                                    QString::fromLatin1(QTest::currentDataTag()));
    child.start(wrapper.first(), wrapper.mid(1) << QCoreApplication::applicationFilePath() << row);
    if (!child.waitForStarted())
        QSKIP(qPrintable(wrapper.first() + QStringLiteral(" cannot be started here")));
    QVERIFY(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    // 77: the wrapper could not arrange the row (no namespace, no mount, no
    // switch of user); 126 and 127: the test program is out of the child's reach.
    if (child.exitCode() == 77 || child.exitCode() == 126 || child.exitCode() == 127)
        QSKIP(qPrintable(QStringLiteral("cannot arrange this here (%1): %2").arg(wrapper.join(u' '), output.trimmed())));
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("Totals: 3 passed, 0 failed, 0 skipped")), qPrintable(output));
}

void FileFailuresTest::saveRefused_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("reason");
    const QString denied = QStringLiteral("アクセスが拒否されました");
    const QString full = QStringLiteral("ディスクの空き領域が足りません");
    QTest::newRow("read-only folder, bitmap") << "locked folder" << "old.bmp" << denied;
    QTest::newRow("read-only file, icon") << "locked file" << "old.ico" << denied;
    QTest::newRow("full disk, bitmap") << "full disk" << "old.bmp" << full;
    QTest::newRow("full disk, icon") << "full disk" << "old.ico" << full;
}

void FileFailuresTest::saveRefused()
{
    QFETCH(QString, setUp);
    QFETCH(QString, fileName);
    QFETCH(QString, reason);
    const bool arranged = qEnvironmentVariableIsSet(kArrangedVariable);
    const bool fullDisk = setUp == u"full disk";
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    if (!arranged && fullDisk) {
        const QString mount = QStringLiteral("mount -t tmpfs -o size=64k pimoko-full \"$0\" || exit 77; exec \"$@\"");
        // Root makes the namespace itself; anyone else through a user namespace.
        QStringList unshare{QStringLiteral("unshare"), QStringLiteral("--mount"), QStringLiteral("--propagation"),
                            QStringLiteral("private")};
        if (geteuid() != 0)
            unshare << QStringLiteral("--map-root-user");
        if (QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty())
            QSKIP("no unshare here for a small file system of the test's own");
        runArranged(unshare << QStringLiteral("sh") << QStringLiteral("-c") << mount << scratch.path(), scratch.path());
        return;
    }
    if (!arranged && !fullDisk && geteuid() == 0) {
        // Root passes every permission check: the row runs as nobody.
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("run as root without setpriv: permissions lock nothing for root");
        runArranged({QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups")},
                    {});
        return;
    }
    const QString folder = arranged && fullDisk ? qEnvironmentVariable(kFolderVariable) : scratch.path();
    const QString file = QDir(folder).filePath(fileName);
    const QByteArray earlier("the earlier file, which must stay as it is");
    QVERIFY(writtenWhole(file, earlier));
    if (setUp == u"locked folder")
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    if (setUp == u"locked file")
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
    if (fullDisk) {
        // Everything the file system has left goes to one more file.
        QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        QVERIFY(filler.size() < 64 * 1024);
    }

    modify();
    form_->canvas().document().rename(file.toStdString());
    const PixelBuffer before = form_->canvas().actualSize();
    const QString caption = form_->windowTitle();
    const QStringList entries = entriesOf(folder);
    form_->ActSaveExecute();

    if (setUp == u"locked folder")
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(dialogs_->errors.size(), 1);
    const QString text = dialogs_->errors.first();
    QCOMPARE(text, QStringLiteral("ファイル \"%1\". %2 を作成できません").arg(file, reason));
    QCOMPARE(readAll(file), earlier);
    QCOMPARE(entriesOf(folder), entries);
    QVERIFY(form_->canvas().actualSize() == before);
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), file);
    QCOMPARE(form_->windowTitle(), caption);
}

void FileFailuresTest::openedFileChanged_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("vanished") << "a.bmp" << "remove"
                              << QStringLiteral("ファイル \"%1\". ファイルまたはフォルダが見つかりません は開けません") << "";
    QTest::newRow("a folder now") << "a.bmp" << "folder"
                                  << QStringLiteral("ファイル \"%1\". 通常のファイルではありません は開けません") << "";
    QTest::newRow("cut short, icon") << "a.ico" << "cut" << QStringLiteral("アイコンイメージが不正です") << "";
    QTest::newRow("cut short, bitmap") << "a.bmp" << "cut" << "any" << "";
    QTest::newRow("now too large") << "a.bmp" << "large" << ""
                                   << QStringLiteral(" このソフトで開けるサイズは\r\n\r\n 『 64 X 64 』　以下です。");
}

void FileFailuresTest::openedFileChanged()
{
    QFETCH(QString, fileName);
    QFETCH(QString, change);
    QFETCH(QString, error);
    QFETCH(QString, refusal);
    const QString file = QDir(home_->path()).filePath(fileName);
    const auto bitmapBytes = [](int side) {
        const std::vector<std::uint8_t> bytes = bitmapFileBytes(PixelBuffer(side, side, 0x00FF00));
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    };
    QByteArray good = bitmapBytes(16);
    if (fileName.endsWith(u".ico")) {
        QFile icon(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico"));
        QVERIFY(icon.open(QIODevice::ReadOnly));
        good = icon.readAll();
    }
    QVERIFY(writtenWhole(file, good));
    dialogs_->openChoices.push_back(file);
    dialogs_->saveAnswers.push_back(SaveAnswer::No);
    dialogs_->beforeReading = [&] {
        if (change == u"remove") {
            QFile::remove(file);
        } else if (change == u"folder") {
            QFile::remove(file);
            QDir().mkpath(file);
        } else if (change == u"cut") {
            QFile::resize(file, 30);
        } else if (change == u"large") {
            writtenWhole(file, bitmapBytes(65));
        }
    };

    modify();
    const PixelBuffer before = form_->canvas().actualSize();
    const QString caption = form_->windowTitle();
    const std::string name = form_->canvas().document().CurrentFileName();
    form_->ActOpenExecute();

    if (!refusal.isEmpty()) {
        QCOMPARE(dialogs_->refusals, QList<QString>{refusal});
        QVERIFY(dialogs_->errors.isEmpty());
    } else {
        QCOMPARE(dialogs_->errors.size(), 1);
        if (error != u"any")
            QCOMPARE(dialogs_->errors.first(), error.contains(u"%1") ? error.arg(file) : error);
    }
    QVERIFY(form_->canvas().actualSize() == before);
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(form_->canvas().document().CurrentFileName(), name);
    QCOMPARE(form_->windowTitle(), caption);
}

QTEST_MAIN(FileFailuresTest)
#include "tst_file_failures.moc"
