#include "document/recovery_keeper.h"

#include "document/document_commands.h"
#include "editor/model/canvas.h"
#include "files/model/recovery_copy.h"
#include "platform/dialogs.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>

#include <ctime>
#include <memory>

#include <unistd.h>

namespace pimoko {

namespace {

// No revision: the next release asks for the write held back.
constexpr std::uint64_t kWriteWanted = ~std::uint64_t(0);

std::string currentFolder()
{
    char folder[4096];
    return ::getcwd(folder, sizeof folder) ? std::string(folder) : std::string();
}

} // namespace

RecoveryKeeper::RecoveryKeeper(Canvas& canvas, DocumentCommands& files, Dialogs& dialogs, QWidget* window,
                               std::string folder)
    : QObject(window)
    , canvas_(canvas)
    , files_(files)
    , dialogs_(dialogs)
    , window_(window)
    , folder_(std::move(folder))
    , workingFolder_(currentFolder())
{
    writeTimer_.setSingleShot(true);
    writeTimer_.setInterval(kWriteDelayMs);
    connect(&writeTimer_, &QTimer::timeout, this, &RecoveryKeeper::writeCopy);
    syncTimer_.setSingleShot(true);
    syncTimer_.setInterval(kSyncDelayMs);
    connect(&syncTimer_, &QTimer::timeout, this, [this] { onDisk([this] { folder_.syncCopy(); }); });
    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(kRetryDelayMs);
    connect(&retryTimer_, &QTimer::timeout, this, [this] {
        if (canvas_.document().ImageModified)
            writeCopy();
    });
    // One thread: the work is done in the order it is asked for.
    disk_.setMaxThreadCount(1);
    // Releases anywhere in the program end the drags the view never saw end.
    qApp->installEventFilter(this);
}

// Qt forgets the event filter of an object that is gone.
RecoveryKeeper::~RecoveryKeeper()
{
    disk_.waitForDone();
}

void RecoveryKeeper::onDisk(std::function<void()> work)
{
    disk_.start(std::move(work));
}

bool RecoveryKeeper::eventFilter(QObject* watched, QEvent* event)
{
    // After the release has reached the view, which may finish a stroke.
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
        QMetaObject::invokeMethod(this, &RecoveryKeeper::mouseReleased, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void RecoveryKeeper::mouseReleased()
{
    if (canvas_.document().ImageModified && canvas_.document().revision() != askedRevision_
        && !writeTimer_.isActive())
        writeTimer_.start();
}

void RecoveryKeeper::documentChanged(Document::Change change)
{
    // A press's notice: the release's follows, and writes; a release that
    // never comes (one a modal box took) is found by the timer.
    if (change == Document::Change::StrokeStarted || canvas_.document().ImageModified) {
        if (!writeTimer_.isActive())
            writeTimer_.start();
        return;
    }
    askedRevision_ = canvas_.document().revision();
    writeTimer_.stop();
    retryTimer_.stop();
    // Writes asked before this are not wanted any more, nor is the copy a
    // restored drawing came from, even when no copy of its own was written.
    ++newestWrite_;
    if (folder_.copyPath().empty() && !restored_)
        return;
    restored_ = false;
    onDisk([this] {
        folder_.removeCopy();
        discardRestoredFrom();
    });
}

std::vector<std::uint8_t> RecoveryKeeper::copyBytes() const
{
    const Document& document = canvas_.document();
    return recoveryCopyBytes(document.image(), absoluteFileName(document.CurrentFileName(), workingFolder_),
                             std::time(nullptr));
}

void RecoveryKeeper::writeCopy()
{
    // A drag under way is not written: asked again at the release, or
    // after another wait, once no button is held.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        askedRevision_ = kWriteWanted;
        writeTimer_.start();
        return;
    }
    if (!canvas_.document().ImageModified)
        return;
    askedRevision_ = canvas_.document().revision();
    if (std::string reason; !folder_.takeLock(&reason)) {
        writeDone(newestWrite_, reason);
        return;
    }
    askWrite(copyBytes());
    if (!syncTimer_.isActive())
        syncTimer_.start();
}

void RecoveryKeeper::askWrite(std::vector<std::uint8_t> bytes)
{
    const std::uint64_t sequence = ++newestWrite_;
    onDisk([this, sequence, bytes = std::move(bytes)] {
        // A newer write is queued behind this one.
        if (sequence != newestWrite_)
            return;
        std::string reason;
        // The copy a drawing was restored from goes once the drawing has
        // its own.
        if (folder_.writeCopy(bytes, &reason))
            discardRestoredFrom();
        QMetaObject::invokeMethod(this, [this, sequence, reason] { writeDone(sequence, reason); });
    });
}

void RecoveryKeeper::discardRestoredFrom()
{
    if (restoredFrom_)
        RecoveryFolder::discard(std::move(*restoredFrom_));
    restoredFrom_.reset();
}

void RecoveryKeeper::writeDone(std::uint64_t sequence, const std::string& failure)
{
    if (failure.empty()) {
        // Copies are kept again (a disk freed, a folder made writable): the
        // line goes, and a later failure is told anew.
        if (toldNoCopies_) {
            toldNoCopies_ = false;
            emit cannotKeepCopies(QString());
        }
        return;
    }
    tellNoCopies(failure);
    if (sequence == newestWrite_ && canvas_.document().ImageModified)
        retryTimer_.start();
}

void RecoveryKeeper::tellNoCopies(const std::string& reason)
{
    if (toldNoCopies_)
        return;
    toldNoCopies_ = true;
    const std::string where = folder_.folder().empty() ? reason : folder_.folder() + ": " + reason;
    emit cannotKeepCopies(QString::fromUtf8(kNoCopiesText) + QStringLiteral(" (") + QString::fromStdString(where)
                          + QLatin1Char(')'));
}

void RecoveryKeeper::offerLeftCopies()
{
    std::vector<LeftCopy> left = folder_.leftCopies();
    for (LeftCopy& copy : left) {
        const std::optional<bool> restore = dialogs_.askYesNoDefaultYes(
            window_, QString::fromStdString(recoveryOfferText(copy.copy.fileName, copy.copy.writtenAt)));
        // A box closed without an answer leaves every copy for another start.
        if (!restore)
            return;
        if (!*restore) {
            RecoveryFolder::discard(std::move(copy));
            continue;
        }
        files_.restoreDrawing(std::move(copy.copy.picture), copy.copy.fileName);
        // The drawing's own copy first; the one it came from goes after it,
        // and stays when it could not be written.
        writeTimer_.stop();
        askedRevision_ = canvas_.document().revision();
        auto restored = std::make_shared<LeftCopy>(std::move(copy));
        restored_ = true;
        onDisk([this, restored] { restoredFrom_ = std::move(*restored); });
        if (std::string reason; !folder_.takeLock(&reason)) {
            writeDone(newestWrite_, reason);
            return;
        }
        askWrite(copyBytes());
        syncTimer_.start();
        return;
    }
}

} // namespace pimoko
