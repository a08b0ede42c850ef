#pragma once

#include "editor/model/document.h"
#include "files/recovery_folder.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
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
// never while a mouse button is held, which the write's timer looks at
// again until none is, so that a release a modal box took is not waited
// for; a change that sends no notice (a drag begun beside the editing
// view) is written once every button is released. A written copy is synced a few seconds later; a
// write that failed is tried again at the next change and a few seconds
// later; a document with nothing to save has no copy. The disk is reached
// on a thread of its own, in the order asked, so that a slow disk never
// holds up the drawing: each write carries its own bytes and is skipped
// when a newer one was asked for after it, a removal never is. The copy
// and its lock go with this, at the program's normal end.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // How long a finished change waits for more before the copy is written.
    static constexpr int kWriteDelayMs = 300;
    // How long a written copy waits before it is synced: a power cut loses
    // at most the changes of this and the write delay.
    static constexpr int kSyncDelayMs = 3000;
    // How long a failed write waits before it is tried again.
    static constexpr int kRetryDelayMs = 5000;
    // Told once a run, on the first copy that could not be kept.
    static constexpr const char* kNoCopiesText = "復元用の控えを書き込めません";

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

signals:
    // The one line for the status area when no copy can be kept, with the
    // folder and the reason, the first time copies fail; it is meant to
    // stay there. An empty text once a copy is written again.
    void cannotKeepCopies(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::uint8_t> copyBytes() const;
    void writeCopy();
    // Asks the disk's thread to write these bytes as the copy.
    void askWrite(std::vector<std::uint8_t> bytes);
    // `failure` is empty for a write that was done, else why it was not.
    void writeDone(std::uint64_t sequence, const std::string& failure);
    // On the disk's thread.
    void discardRestoredFrom();
    void mouseReleased();
    void tellNoCopies(const std::string& reason);
    // Runs `work` on the disk's thread after the work asked before it. The
    // folder's lock is taken here before any work that uses it is asked for,
    // so the thread only reads what the lock set.
    void onDisk(std::function<void()> work);

    Canvas& canvas_;
    DocumentCommands& files_;
    Dialogs& dialogs_;
    QWidget* window_;
    RecoveryFolder folder_;
    // The folder the run started in, against which relative names resolve.
    std::string workingFolder_;
    QTimer writeTimer_;
    QTimer syncTimer_;
    QTimer retryTimer_;
    bool toldNoCopies_ = false;
    // A copy was handed to the disk's thread as restoredFrom_.
    bool restored_ = false;
    // The document's revision when a copy was last asked for, or last
    // had nothing to save.
    std::uint64_t askedRevision_ = 0;
    // The newest write asked for; older ones still queued are skipped.
    std::atomic<std::uint64_t> newestWrite_{0};
    // The disk thread's own: the copy a restored drawing came from, until
    // the drawing's copy is written.
    std::optional<LeftCopy> restoredFrom_;
    QThreadPool disk_;
};

} // namespace pimoko
