// The main window's file handlers: a new image, save and save as, opening
// pictures from the menu, from a drop and from the command line, and cursor
// creation mode.
#include "app/pimo_form.h"

#include "app/action_list.h"
#include "document/document_commands.h"
#include "document/picture_files.h"
#include "editor/color_panel.h"
#include "editor/model/start_values.h"
#include "platform/dialogs.h"
#include "platform/file_error_box.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace pimoko {

namespace {

// The first dropped item, when it is a local file.
QString firstDroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl first = data->urls().constFirst();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

// Takes a drag or drop as a copy: a source offered a move would delete the
// user's file. A source that offers no copy is refused.
bool acceptAsCopy(QDropEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

} // namespace

void TPimoForm1::ActOpenExecute()
{
    if (const std::optional<QString> fileName = dialogs_->askOpenFileName(this))
        OpenImageFile(*fileName);
}

void TPimoForm1::OpenImageFile(const QString& fileName)
{
    if (!files_->settleUnsavedChanges())
        return;
    std::variant<OpenedPicture, OpenRefusal> read;
    // Read by its full path, which the messages name; the document keeps the
    // name as given.
    const auto readFile = [&] { read = readPictureFile(QFileInfo(fileName).absoluteFilePath()); };
    if (!reportingFileErrors(*dialogs_, this, readFile))
        return;
    if (const auto* refusal = std::get_if<OpenRefusal>(&read)) {
        dialogs_->showRefusal(this, refusalText(*refusal));
        return;
    }
    OpenedPicture& opened = std::get<OpenedPicture>(read);
    // Cursor creation mode; a cursor file that cannot be written anywhere
    // leaves everything as it was.
    if (opened.kind == PictureKind::Cursor
        && !reportingFileErrors(*dialogs_, this, [this] { ActMakeCursorExecute(); }))
        return;
    files_->openPicture(std::move(opened), fileName);
    ui_.Button1->setFocus();
}

void TPimoForm1::ActMakeCursorExecute()
{
    // The cursor file first: when it cannot be written, nothing has changed.
    const PixelBuffer blank(32, 32, 0xFF0000);
    files_->saveProgramCursorFile(blank, FHotSpotX, FHotSpotY);
    colorPanel_->setColors(PenColors{kBlack, kWhite});
    canvas_.ResetCanvas(blank.width(), blank.height(), kBlack, blank.pixel(0, 0));
    files_->forgetOpenedFile();
}

void TPimoForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!firstDroppedFile(event->mimeData()).isEmpty())
        acceptAsCopy(event);
}

void TPimoForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (!firstDroppedFile(event->mimeData()).isEmpty())
        acceptAsCopy(event);
}

void TPimoForm1::dropEvent(QDropEvent* event)
{
    // The first file only; the others are ignored without a word.
    const QString fileName = firstDroppedFile(event->mimeData());
    if (fileName.isEmpty() || !acceptAsCopy(event))
        return;
    raise();
    activateWindow();
    OpenImageFile(fileName);
}

void TPimoForm1::ActNewExecute()
{
    if (files_->settleUnsavedChanges())
        startNewImage();
}

void TPimoForm1::startNewImage()
{
    canvas_.document().startNew(PixelBuffer(StartValues::ImageSide, StartValues::ImageSide, StartValues::ImageColor));
    files_->forgetOpenedFile();
}

void TPimoForm1::ActSaveExecute()
{
    files_->ActSaveExecute();
}

void TPimoForm1::ActSaveAsExecute()
{
    files_->ActSaveAsExecute();
}

} // namespace pimoko
