#include "document/recovery_keeper.h"

#include "document/document_commands.h"
#include "editor/model/canvas.h"
#include "files/model/recovery_copy.h"
#include "platform/dialogs.h"

#include <QWidget>

#include <ctime>
#include <memory>

namespace pimoko {

RecoveryKeeper::RecoveryKeeper(Canvas& canvas, DocumentCommands& files, Dialogs& dialogs, QWidget* window,
                               std::string folder)
    : QObject(window)
    , canvas_(canvas)
    , files_(files)
    , dialogs_(dialogs)
    , window_(window)
    , folder_(std::move(folder))
{
    writeTimer_.setSingleShot(true);
    writeTimer_.setInterval(kWriteDelayMs);
    connect(&writeTimer_, &QTimer::timeout, this, &RecoveryKeeper::writeCopy);
    syncTimer_.setSingleShot(true);
    syncTimer_.setInterval(kSyncDelayMs);
    connect(&syncTimer_, &QTimer::timeout, this, [this] { onDisk([this] { folder_.syncCopy(); }); });
    // One thread: the work is done in the order it is asked for.
    disk_.setMaxThreadCount(1);
}

RecoveryKeeper::~RecoveryKeeper()
{
    disk_.waitForDone();
}

void RecoveryKeeper::onDisk(std::function<void()> work)
{
    disk_.start(std::move(work));
}

void RecoveryKeeper::documentChanged(Document::Change change)
{
    // A press's notice: the release's follows, and writes.
    strokeUnderWay_ = change == Document::Change::StrokeStarted;
    if (strokeUnderWay_)
        return;
    if (canvas_.document().ImageModified) {
        if (!writeTimer_.isActive())
            writeTimer_.start();
        return;
    }
    writeTimer_.stop();
    // Nothing was ever written, and the disk's thread is not started.
    if (folder_.copyPath().empty())
        return;
    {
        const std::lock_guard lock(pendingMutex_);
        pending_.reset();
    }
    onDisk([this] { folder_.removeCopy(); });
}

std::vector<std::uint8_t> RecoveryKeeper::copyBytes() const
{
    const Document& document = canvas_.document();
    return recoveryCopyBytes(document.image(), document.CurrentFileName(), std::time(nullptr));
}

void RecoveryKeeper::writeCopy()
{
    if (strokeUnderWay_ || !folder_.takeLock())
        return;
    bool waiting = false;
    {
        const std::lock_guard lock(pendingMutex_);
        waiting = pending_.has_value();
        pending_ = copyBytes();
    }
    if (!waiting) {
        onDisk([this] {
            std::optional<std::vector<std::uint8_t>> bytes;
            {
                const std::lock_guard lock(pendingMutex_);
                bytes.swap(pending_);
            }
            if (bytes)
                folder_.writeCopy(*bytes);
        });
    }
    if (!syncTimer_.isActive())
        syncTimer_.start();
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
        if (!folder_.takeLock())
            return;
        auto bytes = std::make_shared<std::vector<std::uint8_t>>(copyBytes());
        auto restored = std::make_shared<LeftCopy>(std::move(copy));
        onDisk([this, bytes, restored] {
            if (folder_.writeCopy(*bytes))
                RecoveryFolder::discard(std::move(*restored));
        });
        syncTimer_.start();
        return;
    }
}

} // namespace pimoko
