#pragma once

#include "editor/model/document.h"
#include "files/recovery_folder.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pimoko {

class Canvas;
class Dialogs;
class DocumentCommands;

// Keeps the recovery copy of the document (see files/recovery_folder.h)
// while it has changes to save, and offers the copies of editors that ended
// suddenly back at start. It follows the document's notice: a finished
// change is written a moment later, changes that come faster together and
// never while a stroke is under way; a written copy is synced a few seconds
// later; a document with nothing to save has no copy. The disk is reached
// on a thread of its own, in the order asked, so that a slow disk never
// holds up the drawing. The copy and its lock go with this, at the
// program's normal end.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // How long a finished change waits for more before the copy is written.
    static constexpr int kWriteDelayMs = 300;
    // How long a written copy waits before it is synced: a power cut loses
    // at most the changes of this and the write delay.
    static constexpr int kSyncDelayMs = 3000;

    RecoveryKeeper(Canvas& canvas, DocumentCommands& files, Dialogs& dialogs, QWidget* window,
                   std::string folder = recoveryFolder());
    // Waits for the disk work asked for, then the copy and lock are removed.
    ~RecoveryKeeper() override;

    void documentChanged(Document::Change change);
    // Asks about each copy left by an editor no longer running, newest
    // first: はい makes it the document and ends the offers (the others wait
    // for another start), いいえ removes it.
    void offerLeftCopies();

    const RecoveryFolder& folder() const { return folder_; }
    // Waits until the disk work asked for so far is done.
    void waitForDisk() { disk_.waitForDone(); }

private:
    std::vector<std::uint8_t> copyBytes() const;
    void writeCopy();
    // Runs `work` on the disk's thread after the work asked before it. The
    // folder's lock is taken here before any work that uses it is asked for,
    // so the thread only reads what the lock set.
    void onDisk(std::function<void()> work);

    Canvas& canvas_;
    DocumentCommands& files_;
    Dialogs& dialogs_;
    QWidget* window_;
    RecoveryFolder folder_;
    QTimer writeTimer_;
    QTimer syncTimer_;
    bool strokeUnderWay_ = false;
    // The copy's newest bytes, until the disk's thread takes them: a write
    // asked while one waits replaces it.
    std::mutex pendingMutex_;
    std::optional<std::vector<std::uint8_t>> pending_;
    QThreadPool disk_;
};

} // namespace pimoko
