#pragma once

#include "document/save_preview.h"
#include "files/model/icon_holdings.h"
#include "files/model/saved_file.h"
#include "platform/dialogs.h"

#include <QObject>
#include <QString>

class QWidget;

namespace pimoko {

class Canvas;
struct OpenedPicture;

// The document's file commands: save, save as, the icon, cursor and bitmap
// writers' commands, the save-as preview bitmap and the unsaved-changes
// question. Every question and box goes through the Dialogs seam; every
// file is written whole or not at all (files/file_writer.h), in the bytes
// the command line writes too (files/model/saved_file.h).
class DocumentCommands : public QObject {
    Q_OBJECT
public:
    DocumentCommands(Canvas& canvas, Dialogs& dialogs, QWidget* window);

    // Asks the unsaved-changes question (only when the document is
    // modified) and says whether the caller may go on: No goes on, Cancel
    // does not, and Yes goes on only when the save left nothing unsaved.
    bool settleUnsavedChanges();
    SaveAnswer AskToSaveChanges();

    // The save command: a ".bmp" or ".ico" name is written as that kind,
    // without a question, unless it would lose something of the icon file
    // the document was opened from. Then, when the drawing can take the
    // place of the image that was opened, it asks whether to keep the other
    // images (Yes by default, see files/model/icon_merge.h); otherwise it
    // says what would be lost and asks, No by default. Anything else asks
    // for a name.
    void ActSaveExecute();
    // The document now comes from this file; beyondSave says what saving
    // over it would lose (nothing for the editor's own kind and bitmaps).
    void noteOpenedFile(const QString& fileName, std::optional<IconHoldings> beyondSave);
    // The document comes from no file: a new image or a new cursor.
    void forgetOpenedFile() { noteOpenedFile({}, std::nullopt); }
    // A picture read from fileName becomes the document, named as given;
    // a bitmap stays one, any other picture becomes a drawing.
    void openPicture(OpenedPicture opened, const QString& fileName);
    // A drawing brought back from its recovery copy becomes the document,
    // named as it was, its changes still to save; the save command then asks
    // before it writes over an icon file holding more, as after an open.
    void restoreDrawing(PixelBuffer picture, const std::string& fileName);
    // Asks for a name and a filter; the name written and its kind follow
    // saveAsFileName. Asks before it replaces a file other than the preview;
    // onto the icon file the document was opened from, as the save command.
    // When the write fails the document keeps the name it had.
    void ActSaveAsExecute();

    // Write the document; it is then saved under that name. Throw FileError.
    void SaveBitmapFile(const QString& fileName);
    void SaveIconFile(const QString& fileName);
    // The cursor file holds the bytes of the picture's icon; the hot spot is
    // not stored, and the document is left alone.
    void SaveCursorFile(const QString& fileName, const PixelBuffer& picture, int hotSpotX, int hotSpotY);

    // The program's cursor file: the program file's path with ".cur" for its
    // extension. Written there when the folder takes it, else in the user's
    // own data folder; the error of the file that cannot be created only
    // when neither does. Returns the path written.
    QString saveProgramCursorFile(const PixelBuffer& picture, int hotSpotX, int hotSpotY);
    QString programCursorFile() const;
    // Where the program file is taken to lie; the running program by default.
    void setProgramFilePath(const QString& path) { programFilePath_ = path; }

    // Writes the image as the preview bitmap in the folder "アイコン" on the
    // desktop (see save_preview.h); PreviewFileName is empty when it could
    // not be written.
    void PrepareSavePreview();
    QString PreviewFileName() const { return preview_.fileName(); }
    static QString previewFolder();

signals:
    // A file was written under this name and the document is saved.
    void saved(const QString& fileName);

private:
    void saveAsFromDialog(const SaveChoice& choice);
    bool mayReplace(const QString& fileName);
    enum class IconSave { OneImage, KeepOthers, Cancel };
    bool isOpenedFile(const QString& fileName) const;
    IconSave askBeforeIconSave(const QString& fileName);
    // Writes the icon as askBeforeIconSave answers; false when cancelled.
    bool saveIcon(const QString& fileName);
    void writeKeepingOtherImages(const QString& fileName);
    void writeDocument(const QString& fileName, SaveKind kind);
    void writeBytes(const QString& fileName, const std::vector<std::uint8_t>& bytes);

    Canvas& canvas_;
    Dialogs& dialogs_;
    QWidget* window_;
    SavePreview preview_;
    // The file the document was opened from, and what saving over it
    // would lose; read again once the editor has written it.
    std::string openedFileName_;
    std::optional<IconHoldings> openedBeyondSave_;
    QString programFilePath_;
};

} // namespace pimoko
