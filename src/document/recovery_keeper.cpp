#include "document/recovery_keeper.h"

#include "document/document_commands.h"
#include "editor/model/canvas.h"
#include "files/model/recovery_copy.h"
#include "platform/dialogs.h"

#include <QWidget>

#include <ctime>

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
    connect(&syncTimer_, &QTimer::timeout, this, [this] { folder_.syncCopy(); });
}

void RecoveryKeeper::documentChanged(Document::Change change)
{
    // A press's notice: the release's follows, and writes.
    strokeUnderWay_ = change == Document::Change::StrokeStarted;
    if (strokeUnderWay_)
        return;
    if (!canvas_.document().ImageModified) {
        writeTimer_.stop();
        folder_.removeCopy();
    } else if (!writeTimer_.isActive()) {
        writeTimer_.start();
    }
}

bool RecoveryKeeper::writeCopy()
{
    if (strokeUnderWay_)
        return false;
    const Document& document = canvas_.document();
    if (!folder_.writeCopy(recoveryCopyBytes(document.image(), document.CurrentFileName(), std::time(nullptr))))
        return false;
    if (!syncTimer_.isActive())
        syncTimer_.start();
    return true;
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
        // The drawing's own copy first; the one it came from goes after it.
        writeTimer_.stop();
        if (writeCopy())
            RecoveryFolder::discard(std::move(copy));
        return;
    }
}

} // namespace pimoko
