// The recovery copy around the real window: written after a finished change
// and never during a drag, gone once nothing is left to save and at a normal
// end, offered back at the next start; an editor killed with SIGKILL leaves
// it, a running editor's copy and bad files are left alone.
#include "app/action_list.h"
#include "app/pimo_form.h"
#include "document/recovery_keeper.h"
#include "files/codec/bmp_reader.h"
#include "files/codec/system_reason.h"
#include "files/model/recovery_copy.h"
#include "support/editor_fixture.h"
#include "support/file_bytes.h"
#include "support/private_home.h"
#include "support/program_run.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pimoko;

namespace {

// The disk's thread held in fsync while set (the window's own saves are
// not), as a slow disk holds it.
std::atomic<bool> holdDiskSyncs{false};
std::atomic<bool> diskSyncHeld{false};
// The editor's own lock file cannot be made while set.
std::atomic<bool> failOwnLock{false};

} // namespace

extern "C" int fsync(int fd)
{
    static const auto call = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    if (holdDiskSyncs && QThread::currentThread() != qApp->thread()) {
        diskSyncHeld = true;
        while (holdDiskSyncs)
            ::usleep(1000);
    }
    return call(fd);
}

extern "C" int openat(int folder, const char* name, int flags, ...)
{
    static const auto call = reinterpret_cast<int (*)(int, const char*, int, mode_t)>(::dlsym(RTLD_NEXT, "openat"));
    va_list mode;
    va_start(mode, flags);
    const mode_t made = (flags & O_CREAT) != 0 ? mode_t(va_arg(mode, int)) : 0;
    va_end(mode);
    if (failOwnLock && (flags & O_EXCL) != 0 && std::string_view(name).ends_with(".lock"))
        return errno = EACCES, -1;
    return call(folder, name, flags, made);
}

namespace {

constexpr uid_t kNobody = 65534;

const QFile::Permissions kPrivateFile = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

QRgb rgbOf(Color c) { return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// Whether a running editor holds the lock file's lock.
bool lockHeld(const QString& lockPath)
{
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CLOEXEC);
    const bool held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0)
        ::close(fd);
    return held;
}

// The child editor of the kill test: the window with the program's own
// dialogs opens the files named, draws a blue cell (3, 4) and a red cell
// (5, 6) with the mouse, says so once its copy is written, and runs on.
int drawUntilKilled(const QStringList& files)
{
    TPimoForm1 form(files);
    form.show();
    QWidget* button = form.findChild<QWidget*>(QStringLiteral("Button1"));
    if (!QTest::qWaitFor([&] { return button->hasFocus(); }, 30000))
        return 2;
    QWidget* im1 = form.findChild<QWidget*>(QStringLiteral("Im1"));
    QTest::mouseClick(im1, Qt::LeftButton, {}, cellPoint(3, 4));
    QTest::mouseClick(im1, Qt::RightButton, {}, cellPoint(5, 6));
    const RecoveryFolder& folder = form.findChild<RecoveryKeeper*>()->folder();
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(QString::fromStdString(folder.copyPath())); }, 30000))
        return 3;
    std::puts("drawn");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void copyFollowsTheDocument_data();
    void copyFollowsTheDocument();
    void normalEndRemovesCopyAndLock();
    void offers_data();
    void offers();
    void offerComesBeforeCommandLineFiles();
    void restoredIconAsksBeforeItsImagesAreLost();
    void badFilesAndRunningEditorsAreLeftAlone();
    void restoredWithoutALockGoesAtTheSave();
    void unwritableFolderCostsOnlyTheCopy();
    void relativeNameRestoredToItsOwnFolder();
    void removalDoesNotOvertakeALaterWrite();
    void changesWithoutNoticeAreWrittenAtRelease_data();
    void changesWithoutNoticeAreWrittenAtRelease();
    void failedWriteTriedAgainAndToldOnce();
    void folderGoneWhileRunningIsMadeAgain_data();
    void folderGoneWhileRunningIsMadeAgain();
    void folderNotTheUsersOwnHoldsNoCopies_data();
    void folderNotTheUsersOwnHoldsNoCopies();
    void plantedNamesAreNotFollowed();
    void killedEditorLeavesCopyRestoredPixelForPixel_data();
    void killedEditorLeavesCopyRestoredPixelForPixel();

private:
    QString folder() const { return home_.path() + "/.local/state/pimoko"; }
    QStringList filesIn(const char* pattern) const
    {
        return QDir(folder()).entryList({QString::fromLatin1(pattern)}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }
    // A copy as a gone editor left it, without a lock file.
    void plant(const QString& stem, const PixelBuffer& picture, const std::string& name, qint64 time)
    {
        QVERIFY(QDir().mkpath(folder()));
        writeBytes(folder() + '/' + stem + ".bmp", recoveryCopyBytes(picture, name, time));
    }
    // A window with scripted dialogs, once it has offered the copies and
    // opened the files.
    void start(QStringList files = {}, std::deque<SaveAnswer> saveAnswers = {})
    {
        auto dialogs = std::make_unique<ScriptedDialogs>();
        dialogs_ = dialogs.get();
        dialogs_->yesDefaultAnswers = answers_;
        dialogs_->saveAnswers = std::move(saveAnswers);
        form_ = std::make_unique<TPimoForm1>(std::move(dialogs), std::move(files));
        form_->show();
        QTRY_VERIFY(form_->findChild<QWidget*>(QStringLiteral("Button1"))->hasFocus());
        form_->findChild<RecoveryKeeper*>()->waitForDisk();
    }
    // Once the changes so far had their time to reach the disk.
    void settle()
    {
        QTest::qWait(3 * RecoveryKeeper::kWriteDelayMs);
        form_->findChild<RecoveryKeeper*>()->waitForDisk();
    }
    void stroke(int x, int y)
    {
        form_->Im1MouseDown(Qt::LeftButton, MouseState::Left, cellPoint(x, y));
        form_->Im1MouseUp(Qt::LeftButton, {}, cellPoint(x, y));
    }
    QString ownCopyPath() const
    {
        return QString::fromStdString(form_->findChild<RecoveryKeeper*>()->folder().copyPath());
    }
    std::optional<RecoveryCopy> ownCopy() const
    {
        return QFileInfo::exists(ownCopyPath()) ? readRecoveryCopy(readFileBytes(ownCopyPath())) : std::nullopt;
    }

    QString noCopiesText(const QString& reason = QStringLiteral("ユーザー自身のフォルダではありません")) const
    {
        return QStringLiteral("復元用の控えを書き込めません (%1: %2)").arg(folder(), reason);
    }

    PrivateHome home_;
    std::unique_ptr<TPimoForm1> form_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::deque<std::optional<bool>> answers_;
};

void RecoveryTest::cleanup()
{
    form_.reset();
    answers_.clear();
    holdDiskSyncs = false;
    failOwnLock = false;
    ::chmod(QFile::encodeName(folder()).constData(), 0700);
    QFile::remove(folder());
    QDir(folder() + ".aside").removeRecursively();
    QDir(folder()).removeRecursively();
    qputenv("XDG_STATE_HOME", (home_.path() + "/.local/state").toLocal8Bit());
}

void RecoveryTest::copyFollowsTheDocument_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("copy");
    QTest::newRow("finished stroke") << "" << true;
    QTest::newRow("a press, held") << "press" << true;
    QTest::newRow("a press before the copy, held") << "quick press" << false;
    QTest::newRow("a drag whose release a modal box took") << "release lost" << true;
    QTest::newRow("turned") << "turn" << true;
    QTest::newRow("saved") << "save" << false;
    QTest::newRow("new image, changes given up") << "new" << false;
    QTest::newRow("blank canvas") << "blank" << false;
}

void RecoveryTest::copyFollowsTheDocument()
{
    QFETCH(QString, then);
    QFETCH(bool, copy);
    start();
    stroke(3, 4);
    if (then != u"quick press")
        QTRY_VERIFY(ownCopy());
    QWindow* window = form_->windowHandle();
    const auto at = [&](QPoint p) { return form_->findChild<QWidget*>(QStringLiteral("Im1"))->mapTo(form_.get(), p); };
    if (then.endsWith(u"press")) {
        QTest::mousePress(window, Qt::LeftButton, {}, at(cellPoint(7, 8)));
        QTest::mouseMove(window, at(cellPoint(9, 8)));
    } else if (then == u"release lost") {
        QTest::mousePress(window, Qt::RightButton, {}, at(cellPoint(7, 8)));
        QDialog modal(form_.get());
        modal.setModal(true);
        modal.show();
        QTest::mouseRelease(window, Qt::RightButton, {}, at(cellPoint(7, 8)));
    } else if (then == u"turn") {
        form_->actions()->Act90->trigger();
    } else if (then == u"save") {
        dialogs_->saveChoices.push_back(SaveChoice{home_.path() + "/a.bmp", SaveKind::Bitmap});
        form_->ActSaveAsExecute();
    } else if (then == u"new") {
        dialogs_->saveAnswers.push_back(SaveAnswer::No);
        form_->ActNewExecute();
    } else if (then == u"blank") {
        form_->ActSize1Execute();
    }
    settle();
    std::optional<RecoveryCopy> written = ownCopy();
    QCOMPARE(bool(written), copy);
    if (then.endsWith(u"press")) {
        // Not during the drag: the copy holds the first stroke alone, if any.
        QVERIFY(!written || written->picture.pixel(7, 8) == kWhite);
        QTest::mouseRelease(window, Qt::LeftButton, {}, at(cellPoint(9, 8)));
        // The copy may not be there yet: it is written a moment after the release.
        QTRY_VERIFY([&] {
            const std::optional<RecoveryCopy> now = ownCopy();
            return now && now->picture.pixel(9, 8) == StartValues::LeftColor;
        }());
        written = ownCopy();
    }
    if (copy) {
        QVERIFY(written->picture == form_->canvas().actualSize());
        QCOMPARE(written->picture.format(), form_->canvas().actualSize().format());
        QCOMPARE(written->fileName, form_->canvas().document().CurrentFileName());
        // Its picture is a bitmap file as others read it.
        const QImage image = QImage::fromData(readAll(ownCopyPath()), "BMP");
        QCOMPARE(image.size(), QSize(form_->canvas().ImageWidth(), form_->canvas().ImageHeight()));
        const QPoint blue = then == u"turn" ? QPoint(27, 3) : QPoint(3, 4);
        QCOMPARE(image.pixel(blue), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    }
}

void RecoveryTest::normalEndRemovesCopyAndLock()
{
    start();
    stroke(1, 1);
    // Not at once: changes that come faster are written together.
    QCoreApplication::processEvents();
    form_->findChild<RecoveryKeeper*>()->waitForDisk();
    QCOMPARE(filesIn("*.bmp").size(), 0);
    QTRY_COMPARE(filesIn("*.bmp").size(), 1);
    const QString lock = folder() + '/' + filesIn("*.lock").value(0);
    QVERIFY(lockHeld(lock));
    QCOMPARE(QFileInfo(lock).permissions(), kPrivateFile);
    QCOMPARE(QFileInfo(ownCopyPath()).permissions(), kPrivateFile);
    QCOMPARE(QFileInfo(folder()).permissions(), kPrivateFile | QFile::ExeOwner | QFile::ExeUser);
    // Written once for the one change.
    struct stat first {};
    QCOMPARE(::stat(QFile::encodeName(ownCopyPath()).constData(), &first), 0);
    settle();
    struct stat later {};
    QCOMPARE(::stat(QFile::encodeName(ownCopyPath()).constData(), &later), 0);
    QCOMPARE(later.st_ino, first.st_ino);
    form_.reset();
    QCOMPARE(filesIn("*"), QStringList{});
}

void RecoveryTest::offers_data()
{
    QTest::addColumn<QList<int>>("answers");  // 1 はい, 0 いいえ, -1 closed unanswered
    QTest::addColumn<QStringList>("left");      // copies in the folder afterwards
    QTest::addColumn<QString>("restored");      // the document's name; "-" none restored
    QTest::newRow("いいえ, then はい") << QList<int>{0, 1} << QStringList{} << "/x/old.bmp";
    QTest::newRow("はい ends the offers") << QList<int>{1} << QStringList{"old.bmp"} << "";
    QTest::newRow("unanswered leaves them") << QList<int>{-1} << QStringList{"new.bmp", "old.bmp"} << "-";
}

void RecoveryTest::offers()
{
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, left);
    QFETCH(QString, restored);
    qputenv("TZ", "UTC");
    tzset();
    PixelBuffer indexed(20, 10, kWhite, PixelFormat::indexed(8, {kWhite, 0x00FF00, kBlack}));
    indexed.setPixel(2, 3, 0x00FF00);
    plant("old", indexed, "/x/old.bmp", 1700000000);
    plant("new", PixelBuffer(32, 32, 0x0000FF), "", 1700000060);
    for (int answer : answers)
        answers_.push_back(answer < 0 ? std::nullopt : std::optional<bool>(answer == 1));
    start();
    const QString offer = QStringLiteral("保存されていない画像が残っています (%1)。復元しますか?");
    QCOMPARE(dialogs_->yesDefaultQuestions,
             (QStringList{offer.arg("新規画像, 2023/11/14 22:14"), offer.arg("old.bmp, /x, 2023/11/14 22:13")}.mid(0, answers.size())));
    const QStringList own = ownCopy() ? QStringList{QFileInfo(ownCopyPath()).fileName()} : QStringList{};
    QCOMPARE(filesIn("*.bmp"), (own + left));
    const Document& document = form_->canvas().document();
    QCOMPARE(bool(document.ImageModified), restored != u"-");
    QCOMPARE(QString::fromStdString(document.CurrentFileName()), restored == u"-" ? QString() : restored);
    if (restored == u"-")
        return;
    const PixelBuffer& expected = restored.isEmpty() ? PixelBuffer(32, 32, 0x0000FF) : indexed;
    QVERIFY(document.image() == expected);
    QCOMPARE(document.image().format(), expected.format());
    const std::optional<RecoveryCopy> ownNow = ownCopy();
    QVERIFY(ownNow && ownNow->picture == expected);
    QCOMPARE(document.rescueHistory().FRescueCount, 0);
    QCOMPARE(form_->windowTitle(), QString(" ピモコ   ルポミ舎     ") + (restored.isEmpty() ? "　新規画像" : "old.bmp"));
    QVERIFY(restored.isEmpty() ? form_->findChild<QWidget*>("Im3")->isVisible() : !form_->findChild<QWidget*>("Im3")->isVisible());
    // Closing asks, as for any drawing with changes to save.
    dialogs_->saveAnswers.push_back(SaveAnswer::Cancel);
    QVERIFY(!form_->close());
}

void RecoveryTest::offerComesBeforeCommandLineFiles()
{
    plant("left", PixelBuffer(32, 32, 0x0000FF), "", 1);
    const QString file = home_.path() + "/opened.bmp";
    QVERIFY(QImage(16, 16, QImage::Format_RGB32).save(file));
    answers_ = {true};
    start({file}, {SaveAnswer::No});
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), file);
    // The unsaved-changes question was about the restored drawing.
    QCOMPARE(dialogs_->questions.value(0), QStringLiteral("『 新規画像 』　が保存されていません。\r\n\r\n　保存しますか？"));
    QCOMPARE(filesIn("*.bmp"), QStringList{});
}

void RecoveryTest::restoredIconAsksBeforeItsImagesAreLost()
{
    const QString icon = home_.path() + "/two.ico";
    QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico"), icon));
    plant("left", PixelBuffer(32, 32, 0x0000FF), icon.toStdString(), 1);
    answers_ = {true};
    start();
    dialogs_->keepAnswers = {SaveAnswer::Cancel};
    form_->ActSaveExecute();
    QCOMPARE(dialogs_->keepQuestions.value(0).left(23), QStringLiteral("このファイルには 2 個のイメージがあります。"));
    QCOMPARE(readAll(icon), readAll(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico")));
}

// The copy a drawing came from goes once the drawing is saved, though the
// editor could keep no copy of its own.
void RecoveryTest::restoredWithoutALockGoesAtTheSave()
{
    plant("left", PixelBuffer(32, 32, 0x0000FF), "", 1);
    answers_ = {true};
    failOwnLock = true;
    start();
    dialogs_->saveChoices.push_back(SaveChoice{home_.path() + "/saved.bmp", SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    settle();
    QCOMPARE(filesIn("*.bmp"), QStringList{});
}

void RecoveryTest::badFilesAndRunningEditorsAreLeftAlone()
{
    plant("held", PixelBuffer(32, 32), "", 1);
    const int held = ::open(QFile::encodeName(folder() + "/held.lock").constData(), O_RDONLY | O_CREAT, 0600);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
    Bytes damaged = recoveryCopyBytes(PixelBuffer(32, 32), "", 1);
    damaged[100] ^= 1;
    writeBytes(folder() + "/damaged.bmp", damaged);
    writeBytes(folder() + "/cut.bmp", Bytes(damaged.begin(), damaged.end() - 1));
    writeBytes(folder() + "/huge.bmp", Bytes(1052705, 0));  // one byte over the cap
    QVERIFY(::mkfifo(QFile::encodeName(folder() + "/pipe.bmp").constData(), 0600) == 0);
    QVERIFY(QDir(folder()).mkdir("folder.bmp"));
    plant("linked", PixelBuffer(32, 32), "", 1);
    QVERIFY(QFile::rename(folder() + "/linked.bmp", home_.path() + "/linked.bmp"));
    QVERIFY(QFile::link(home_.path() + "/linked.bmp", folder() + "/link.bmp"));
    if (::geteuid() == 0) {
        plant("others", PixelBuffer(32, 32), "", 1);
        QCOMPARE(::chown(QFile::encodeName(folder() + "/others.bmp").constData(), kNobody, kNobody), 0);
    }
    // Left by an editor that died before it wrote a copy, and held by one
    // running that has not written one yet.
    writeBytes(folder() + "/stale.lock", Bytes{});
    const int running = ::open(QFile::encodeName(folder() + "/running.lock").constData(), O_RDONLY | O_CREAT, 0600);
    QVERIFY(running >= 0 && ::flock(running, LOCK_EX | LOCK_NB) == 0);
    const QStringList before = filesIn("*");
    const Bytes heldBytes = readFileBytes(folder() + "/held.bmp");
    start();  // any offer would stop the test
    QVERIFY(!QFileInfo::exists(folder() + "/stale.lock"));
    QCOMPARE(filesIn("*").size(), before.size() + 2 - 1);  // the lock files of the two read
    QCOMPARE(QFileInfo(folder() + "/damaged.lock").permissions(), kPrivateFile);
    QCOMPARE(readFileBytes(folder() + "/held.bmp"), heldBytes);
    QVERIFY(QFileInfo::exists(folder() + "/running.lock"));
    // A temporary file of a replacement cut short goes once a minute old.
    const QString temporary = folder() + "/.pimoko-aB3dE9";
    writeBytes(temporary, Bytes{1});
    for (std::time_t after : {30, 120}) {
        RecoveryFolder(folder().toStdString()).leftCopies(std::time(nullptr) + after);
        QCOMPARE(QFileInfo::exists(temporary), after < 60);
    }
    ::close(held);
    ::close(running);
}

void RecoveryTest::unwritableFolderCostsOnlyTheCopy()
{
    const QString file = home_.path() + "/not-a-folder";
    writeBytes(file, Bytes{1});
    qputenv("XDG_STATE_HOME", file.toLocal8Bit());
    start();
    stroke(2, 2);
    settle();
    QCOMPARE(form_->canvas().actualSize().pixel(2, 2), StartValues::LeftColor);
    QVERIFY(dialogs_->errors.isEmpty());
    QCOMPARE(form_->statusText(0), QStringLiteral("復元用の控えを書き込めません (%1/pimoko: %2)")
                                       .arg(file, QString::fromStdString(systemReasonText(ENOTDIR))));
    QCOMPARE(readFileBytes(file), Bytes{1});
    QVERIFY(!RecoveryFolder((file + "/pimoko").toStdString()).writeCopy(Bytes{1}));
    // A copy that cannot be written is told to the keeper.
    RecoveryFolder own(folder().toStdString());
    QVERIFY(own.takeLock());
    QVERIFY(QDir().mkpath(QString::fromStdString(own.copyPath())));
    QVERIFY(!own.writeCopy(Bytes{1}));
}

// Opened by a relative name in folder A, left, restored in folder B that
// holds a file of the same name: the save goes to A's file.
void RecoveryTest::relativeNameRestoredToItsOwnFolder()
{
    const QString before = QDir::currentPath();
    const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    QImage white(16, 16, QImage::Format_RGB32);
    white.fill(Qt::white);
    for (const char* name : {"A", "B"}) {
        QVERIFY(QDir(home_.path()).mkpath(name));
        QVERIFY(white.save(home_.path() + '/' + name + "/pic.bmp"));
    }
    const QString inA = home_.path() + "/A/pic.bmp";
    const QByteArray bBefore = readAll(home_.path() + "/B/pic.bmp");
    QVERIFY(QDir::setCurrent(home_.path() + "/A"));
    start({"pic.bmp"});
    stroke(1, 1);
    QTRY_VERIFY(ownCopy());
    const Bytes left = readFileBytes(ownCopyPath());
    form_.reset();
    writeBytes(folder() + "/left.bmp", left);
    QVERIFY(QDir::setCurrent(home_.path() + "/B"));
    answers_ = {true};
    start();
    QVERIFY(dialogs_->yesDefaultQuestions.value(0).startsWith(
        QStringLiteral("保存されていない画像が残っています (pic.bmp, %1/A, ").arg(home_.path())));
    form_->ActSaveExecute();
    QCOMPARE(readAll(home_.path() + "/B/pic.bmp"), bBefore);
    QCOMPARE(QImage(inA).pixel(1, 1), qRgb(0, 0, 255));
}

// A removal asked for by a save while the disk is slow does not take the
// copy of a change made after the save.
void RecoveryTest::removalDoesNotOvertakeALaterWrite()
{
    start();
    stroke(1, 1);
    QTRY_VERIFY(ownCopy());
    holdDiskSyncs = true;
    stroke(2, 2);  // its copy replaces the first: synced, and held there
    QTRY_VERIFY(diskSyncHeld);
    stroke(3, 3);
    QTest::qWait(2 * RecoveryKeeper::kWriteDelayMs);
    dialogs_->saveChoices.push_back(SaveChoice{home_.path() + "/saved-while-slow.bmp", SaveKind::Bitmap});
    form_->ActSaveAsExecute();
    stroke(4, 4);
    QTest::qWait(2 * RecoveryKeeper::kWriteDelayMs);
    holdDiskSyncs = false;
    settle();
    QVERIFY(form_->canvas().document().ImageModified);
    const std::optional<RecoveryCopy> copy = ownCopy();
    QVERIFY(copy && copy->picture == form_->canvas().actualSize());
}

void RecoveryTest::changesWithoutNoticeAreWrittenAtRelease_data()
{
    QTest::addColumn<bool>("clickFirst");  // a click just before, its copy not yet written
    QTest::addColumn<QString>("pressedOn"); // where the right drag begins
    QTest::newRow("right drag from beside the view, released beside it") << false << "Panel1";
    QTest::newRow("a click, then a right drag released beside the view") << true << "Im1";
}

void RecoveryTest::changesWithoutNoticeAreWrittenAtRelease()
{
    QFETCH(bool, clickFirst);
    QFETCH(QString, pressedOn);
    start();
    QWindow* window = form_->windowHandle();
    QWidget* im1 = form_->findChild<QWidget*>(QStringLiteral("Im1"));
    QWidget* panel = form_->findChild<QWidget*>(QStringLiteral("Panel1"));
    const auto at = [&](QWidget* widget, QPoint p) { return widget->mapTo(form_.get(), p); };
    if (clickFirst)
        QTest::mouseClick(window, Qt::LeftButton, {}, at(im1, cellPoint(1, 1)));
    QWidget* pressed = form_->findChild<QWidget*>(pressedOn);
    QTest::mousePress(window, Qt::RightButton, {}, at(pressed, pressed == im1 ? cellPoint(3, 3) : QPoint(20, 20)));
    QTest::mouseMove(window, at(im1, cellPoint(4, 3)));
    QTest::mouseMove(window, at(im1, cellPoint(5, 3)));
    QTest::mouseMove(window, at(panel, QPoint(20, 20)));
    QTest::qWait(2 * RecoveryKeeper::kWriteDelayMs);
    QTest::mouseRelease(window, Qt::RightButton, {}, at(panel, QPoint(20, 20)));
    QCOMPARE(form_->canvas().actualSize().pixel(5, 3), StartValues::RightColor);
    settle();
    const std::optional<RecoveryCopy> copy = ownCopy();
    QVERIFY(copy && copy->picture == form_->canvas().actualSize());
}

// A copy that cannot be written is tried again a few seconds later, and
// the first failure of the run is told in the status area, once.
void RecoveryTest::failedWriteTriedAgainAndToldOnce()
{
    start();
    stroke(1, 1);
    QTRY_VERIFY(ownCopy());
    QVERIFY(QFile::remove(ownCopyPath()) && QDir().mkdir(ownCopyPath()));
    stroke(2, 2);
    settle();
    const QString told = form_->statusText(0);
    QVERIFY2(told.startsWith(noCopiesText(QString()).chopped(1)) && told.size() > noCopiesText(QString()).size(),
             qPrintable(told));
    // It stays: a hint shows over it and goes.
    form_->ApplicationEvents1Hint(QStringLiteral("hint"));
    stroke(3, 3);
    settle();
    QCOMPARE(form_->statusText(0), QStringLiteral("hint"));
    form_->ApplicationEvents1Hint(QString());
    QCOMPARE(form_->statusText(0), told);
    QVERIFY(QDir().rmdir(ownCopyPath()));
    // Not at once: a folder that stays unwritable is not tried without a pause.
    QTest::qWait(RecoveryKeeper::kWriteDelayMs);
    QVERIFY(!QFileInfo(ownCopyPath()).isFile());
    QTRY_VERIFY_WITH_TIMEOUT(ownCopy() && ownCopy()->picture == form_->canvas().actualSize(),
                             2 * RecoveryKeeper::kRetryDelayMs);
    QTRY_COMPARE(form_->statusText(0), QString());  // kept again: the line goes
    QVERIFY(dialogs_->errors.isEmpty());
}

void RecoveryTest::folderGoneWhileRunningIsMadeAgain_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("written");
    QTest::newRow("removed") << "removed" << true;
    QTest::newRow("moved away") << "moved" << true;
    QTest::newRow("moved away, a file put at its name") << "file" << false;
    QTest::newRow("opened to its group") << "0770" << false;
    QTest::newRow("moved away, the new copy refused by the disk") << "refused" << false;
}

// The next change's copy is where the next start looks, and nothing of
// this editor stays in a folder moved away; a write that cannot be made
// takes no copy away from where it was.
void RecoveryTest::folderGoneWhileRunningIsMadeAgain()
{
    QFETCH(QString, change);
    QFETCH(bool, written);
    start();
    stroke(1, 1);
    QTRY_VERIFY(ownCopy());
    const QString aside = folder() + ".aside";
    const QString first = ownCopyPath();
    const QByteArray path = QFile::encodeName(folder());
    if (change == u"removed")
        QVERIFY(QDir(folder()).removeRecursively());
    else if (change == u"0770")
        QCOMPARE(::chmod(path.constData(), 0770), 0);
    else
        QVERIFY(QDir().rename(folder(), aside) && (change != u"file" || QFile(folder()).open(QIODevice::WriteOnly)));
    const bool keptAside = change == u"file" || change == u"refused";
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit fileSize{RLIM_INFINITY, RLIM_INFINITY};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &fileSize), 0);
    const rlimit unlimited = fileSize;
    if (change == u"refused")
        fileSize.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &fileSize), 0);
    stroke(2, 2);
    settle();
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const QString kept = QString(first).replace(folder(), keptAside ? aside : folder());
    if (written) {
        QTRY_VERIFY(ownCopy() && ownCopy()->picture == form_->canvas().actualSize());
        QCOMPARE(filesIn("*").size(), 2);
        QCOMPARE(form_->statusText(0), QString());
    } else {
        QVERIFY(QFileInfo(kept).isFile());
        QVERIFY(form_->statusText(0).startsWith(noCopiesText(QString()).chopped(1)));
    }
    QCOMPARE(QDir(aside).entryList(QDir::Files | QDir::System).size(), keptAside ? 2 : 0);
    if (change == u"refused") {
        QVERIFY(RecoveryFolder(aside.toStdString()).leftCopies().empty());  // its lock still held
        stroke(3, 3);
        QTRY_VERIFY(ownCopy() && ownCopy()->picture == form_->canvas().actualSize());
        settle();
        QCOMPARE(QDir(aside).entryList(QDir::Files | QDir::System), QStringList());
    }
}

void RecoveryTest::folderNotTheUsersOwnHoldsNoCopies_data()
{
    QTest::addColumn<QString>("folderIs");
    QTest::newRow("open to its group") << "0770";
    QTest::newRow("open to others") << "0703";
    QTest::newRow("another user's") << "nobody's";
    QTest::newRow("missing, in a home of another user's") << "home nobody's";
}

// Neither offered from nor written to; said once in the status area.
void RecoveryTest::folderNotTheUsersOwnHoldsNoCopies()
{
    QFETCH(QString, folderIs);
    plant("left", PixelBuffer(32, 32), "", 1);
    const QByteArray path = QFile::encodeName(folderIs.startsWith(u"home") ? home_.path() : folder());
    if (folderIs.endsWith(u"nobody's")) {
        if (::geteuid() != 0)
            QSKIP("only root can give the folder to another user");
        if (folderIs.startsWith(u"home"))
            QDir(home_.path() + "/.local").removeRecursively();
        QCOMPARE(::chown(path.constData(), kNobody, kNobody), 0);
    } else {
        QCOMPARE(::chmod(path.constData(), mode_t(folderIs.toUInt(nullptr, 8))), 0);
    }
    start();  // any offer would stop the test
    stroke(1, 1);
    settle();
    QCOMPARE(form_->statusText(0), noCopiesText());
    QCOMPARE(filesIn("*"), folderIs.startsWith(u"home") ? QStringList() : QStringList{"left.bmp"});
    QCOMPARE(::chown(path.constData(), ::geteuid(), ::getegid()), 0);
}

// What takes the copy's name is neither written through nor waited on.
void RecoveryTest::plantedNamesAreNotFollowed()
{
    RecoveryFolder own(folder().toStdString());
    QVERIFY(own.takeLock());
    const QByteArray copy = QFile::encodeName(QString::fromStdString(own.copyPath()));
    const QString victim = home_.path() + "/victim";
    writeBytes(victim, Bytes{1});
    QCOMPARE(::symlink(QFile::encodeName(victim).constData(), copy.constData()), 0);
    QVERIFY(!own.writeCopy(Bytes{2}));
    QCOMPARE(readFileBytes(victim), Bytes{1});
    QCOMPARE(::unlink(copy.constData()), 0);
    QCOMPARE(::mkfifo(copy.constData(), 0600), 0);
    std::atomic<bool> synced{false};
    std::thread sync([&] { own.syncCopy(); synced = true; });
    const bool returned = QTest::qWaitFor([&] { return synced.load(); }, 3000);
    if (!returned)  // a writer lets the waiting open go
        ::close(::open(copy.constData(), O_WRONLY | O_NONBLOCK));
    sync.join();
    // Nor is a link put at the folder's name once the folder was taken.
    QVERIFY(QFile::rename(folder(), folder() + ".held") && QFile::link(home_.path(), folder()));
    const bool written = own.writeCopy(Bytes{3});
    const bool leaked = QFileInfo::exists(home_.path() + '/' + QFileInfo(QFile::decodeName(copy)).fileName());
    QVERIFY(QFile::remove(folder()) && QFile::rename(folder() + ".held", folder()));
    QVERIFY(!written && !leaked);
    QVERIFY(returned);
}

void RecoveryTest::killedEditorLeavesCopyRestoredPixelForPixel_data()
{
    QTest::addColumn<bool>("fromBitmap");
    QTest::newRow("new drawing") << false;
    QTest::newRow("8-bit bitmap with its colour table") << true;
}

void RecoveryTest::killedEditorLeavesCopyRestoredPixelForPixel()
{
    QFETCH(bool, fromBitmap);
    QImage expected(32, 32, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QStringList files;
    if (fromBitmap) {
        expected = QImage(20, 12, QImage::Format_Indexed8);
        expected.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(0, 0, 0)});
        expected.fill(0);
        files << home_.path() + "/eight.bmp";
        QVERIFY(expected.save(files[0], "BMP"));
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PIMOKO_RECOVERY_CHILD", "1");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), files);
    QVERIFY(child.waitForReadyRead(60000));
    QCOMPARE(child.readLine(), QByteArray("drawn\n"));
    const QString lock = folder() + '/' + filesIn("*.lock").value(0);
    QVERIFY(lockHeld(lock));

    start();  // the running child's copy is not offered
    form_.reset();
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());
    QVERIFY(!lockHeld(lock));

    // The program itself finds it at start and holds it while it asks; a
    // kill then leaves it as it was.
    const Bytes leftBytes = readFileBytes(folder() + '/' + filesIn("*.bmp").value(0));
    QProcess program;
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(::program(), QStringList{});
    QTRY_VERIFY_WITH_TIMEOUT(lockHeld(lock), 30000);
    ::kill(pid_t(program.processId()), SIGKILL);
    QVERIFY(program.waitForFinished());
    QCOMPARE(readFileBytes(folder() + '/' + filesIn("*.bmp").value(0)), leftBytes);

    answers_ = {true};
    start();
    QCOMPARE(dialogs_->yesDefaultQuestions.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^保存されていない画像が残っています \\(%1, \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d\\)。復元しますか\\?$")
                                   .arg(fromBitmap ? "eight.bmp, " + QRegularExpression::escape(home_.path()) : "新規画像"))
                .match(dialogs_->yesDefaultQuestions[0]).hasMatch());
    expected.setPixel(3, 4, fromBitmap ? 1 : qRgb(0, 0, 255));
    expected.setPixel(5, 6, fromBitmap ? 2 : qRgb(255, 0, 0));
    const PixelBuffer& restored = form_->canvas().actualSize();
    QCOMPARE(QSize(restored.width(), restored.height()), expected.size());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x)
            QCOMPARE(rgbOf(restored.pixel(x, y)), expected.pixel(x, y));
    }
    if (fromBitmap)
        QCOMPARE(restored.format(), readBitmapFile(readFileBytes(files[0])).format());
    QVERIFY(form_->canvas().document().ImageModified);
    QCOMPARE(form_->canvas().document().rescueHistory().FRescueCount, 0);
    QCOMPARE(QString::fromStdString(form_->canvas().document().CurrentFileName()), files.value(0));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("PIMOKO_RECOVERY_CHILD"))
        return drawUntilKilled(QCoreApplication::arguments().mid(1));
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
