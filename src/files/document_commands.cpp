#include "files/document_commands.h"

#include "editor/model/canvas.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_writer.h"
#include "files/file_writer.h"
#include "files/model/file_names.h"
#include "raster/icon_parts.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pimoko {

namespace {

const QString kPreviewFolderName = QStringLiteral("アイコン");
const QString kIconSizeRefusal = QStringLiteral("ICON として保存出来るサイズは\r\n\r\n 『 32 x 32 』 だけなのです。");

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

// The icon's AND and OR parts: the previews while they are kept up to
// date, else made afresh from the image by the same rule.
std::vector<std::uint8_t> iconBytes(const Canvas& canvas)
{
    if (canvas.settings.maskPanelVisible && canvas.Im3.width() == canvas.ImageWidth()
        && canvas.Im3.height() == canvas.ImageHeight())
        return WriteIconData(canvas.Im3, canvas.Im4);
    const IconParts parts = makeIconParts(canvas.Im2());
    return WriteIconData(parts.andPart, parts.orPart);
}

} // namespace

DocumentCommands::DocumentCommands(Canvas& canvas, Dialogs& dialogs, QWidget* window)
    : QObject(window)
    , canvas_(canvas)
    , dialogs_(dialogs)
    , window_(window)
{
}

template <typename Step>
bool DocumentCommands::reportingErrors(Step step)
{
    try {
        step();
        return true;
    } catch (const FileError& error) {
        dialogs_.showError(window_, QString::fromUtf8(error.what()));
        return false;
    }
}

SaveAnswer DocumentCommands::AskToSaveChanges()
{
    dialogs_.beep();
    return dialogs_.askYesNoCancel(window_, fromUtf8(unsavedChangesText(canvas_.document().CurrentFileName)));
}

bool DocumentCommands::settleUnsavedChanges()
{
    if (!canvas_.document().ImageModified)
        return true;
    switch (AskToSaveChanges()) {
    case SaveAnswer::No:
        return true;
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::Yes:
        ActSaveExecute();
        // A save that was cancelled, refused or failed keeps the work.
        return !canvas_.document().ImageModified;
    }
    return false;
}

void DocumentCommands::ActSaveExecute()
{
    const std::string& name = canvas_.document().CurrentFileName;
    const QString fileName = fromUtf8(name);
    switch (saveRouteFor(name)) {
    case SaveRoute::Bitmap:
        reportingErrors([&] { SaveBitmapFile(fileName); });
        break;
    case SaveRoute::Icon:
        reportingErrors([&] { SaveIconFile(fileName); });
        break;
    case SaveRoute::AskForName:
        ActSaveAsExecute();
        break;
    }
}

void DocumentCommands::ActSaveAsExecute()
{
    if (!reportingErrors([this] { PrepareSavePreview(QStringLiteral("_"), QStringLiteral(".bmp")); }))
        return;
    saveAsFromDialog();
}

void DocumentCommands::saveAsFromDialog()
{
    const std::optional<SaveChoice> choice = dialogs_.askSaveFileName(window_, presetFileName_, defaultSuffix_);
    if (!choice)
        return;
    canvas_.document().CurrentFileName = choice->fileName.toStdString();
    if (choice->kind == SaveKind::Icon) {
        if (canvas_.ImageWidth() != 32 || canvas_.ImageHeight() != 32) {
            canvas_.document().CurrentFileName.clear();
            presetFileName_.clear();
            dialogs_.beep();
            dialogs_.showRefusal(window_, kIconSizeRefusal);
            return;
        }
        defaultSuffix_ = QStringLiteral("ico");
        if (reportingErrors([&] { SaveIconFile(choice->fileName); }))
            removePreviewUnless(choice->fileName);
    } else {
        defaultSuffix_ = QStringLiteral("bmp");
        if (reportingErrors([&] { SaveBitmapFile(choice->fileName); }))
            removePreviewUnless(choice->fileName);
    }
}

void DocumentCommands::removePreviewUnless(const QString& savedFileName)
{
    // The user may have kept the proposed name: then the preview is the
    // file just saved.
    const QString preview = QFileInfo(previewFileName_).canonicalFilePath();
    if (preview.isEmpty() || preview == QFileInfo(savedFileName).canonicalFilePath())
        return;
    QFile::remove(preview);
}

void DocumentCommands::markSaved(const QString& fileName)
{
    canvas_.document().ImageModified = false;
    emit saved(fileName);
}

void DocumentCommands::SaveBitmapFile(const QString& fileName)
{
    writeFileAtomically(fileName, writeBitmapFile(canvas_.Im2()));
    markSaved(fileName);
}

void DocumentCommands::SaveIconFile(const QString& fileName)
{
    writeFileAtomically(fileName, iconBytes(canvas_));
    markSaved(fileName);
}

void DocumentCommands::SaveCursorFile(const QString& fileName, int, int)
{
    writeFileAtomically(fileName, iconBytes(canvas_));
    markSaved(fileName);
}

QString DocumentCommands::programCursorFile() const
{
    const QString program = programFilePath_.isEmpty() ? QCoreApplication::applicationFilePath() : programFilePath_;
    return fromUtf8(withExtension(program.toStdString(), ".cur"));
}

QString DocumentCommands::saveProgramCursorFile(int hotSpotX, int hotSpotY)
{
    const QString beside = programCursorFile();
    try {
        SaveCursorFile(beside, hotSpotX, hotSpotY);
        return beside;
    } catch (const FileError& besideError) {
        // An installed program's folder is not the user's to write. When the
        // user's own folder fails too, the first failure is the one told.
        const FileError told = besideError;
        const QString own = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        if (own.isEmpty() || !QDir().mkpath(own))
            throw told;
        const QString instead = QDir(own).filePath(QFileInfo(beside).fileName());
        try {
            SaveCursorFile(instead, hotSpotX, hotSpotY);
        } catch (const FileError&) {
            throw told;
        }
        return instead;
    }
}

QString DocumentCommands::previewFolder()
{
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        desktop = QDir::homePath();
    return QDir(desktop).filePath(kPreviewFolderName);
}

void DocumentCommands::PrepareSavePreview(const QString& stem, const QString& extension)
{
    const QString folder = previewFolder();
    // A folder that cannot be made shows as the preview file's error.
    QDir().mkpath(folder);
    previewFileName_ = QDir(folder).filePath(stem + extension);
    writeFileAtomically(previewFileName_, writeBitmapFile(canvas_.Im2()));
    presetFileName_ = previewFileName_;
}

} // namespace pimoko
