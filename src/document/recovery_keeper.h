#pragma once

#include "editor/model/document.h"
#include "files/recovery_folder.h"

#include <QObject>
#include <QTimer>

#include <string>

class QWidget;

namespace pimoko {

class Canvas;
class Dialogs;
class DocumentCommands;

// Keeps the recovery copy of the document (see files/recovery_folder.h)
// while it has changes to save, and offers the copies of editors that ended
// suddenly back at start. It follows the document's notice: a finished
// change is written a moment later, changes that come faster together and
// never while a stroke is under way; a written copy is put on the disk a
// few seconds later; a document with nothing to save has no copy. The copy
// and its lock go with this, at the program's normal end.
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

    void documentChanged(Document::Change change);
    // Asks about each copy left by an editor no longer running, newest
    // first: はい makes it the document and ends the offers (the others wait
    // for another start), いいえ removes it.
    void offerLeftCopies();

    const RecoveryFolder& folder() const { return folder_; }

private:
    // False when no copy could be written.
    bool writeCopy();

    Canvas& canvas_;
    DocumentCommands& files_;
    Dialogs& dialogs_;
    QWidget* window_;
    RecoveryFolder folder_;
    QTimer writeTimer_;
    QTimer syncTimer_;
    bool strokeUnderWay_ = false;
};

} // namespace pimoko
