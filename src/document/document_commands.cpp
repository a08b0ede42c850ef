#include "document/document_commands.h"

#include "editor/model/canvas.h"
#include "files/codec/file_error.h"
#include "files/file_writer.h"
#include "files/model/file_names.h"
#include "files/model/icon_merge.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"
#include "platform/file_error_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

#include <optional>

#include <unistd.h>

namespace pimoko {

namespace {

const QString kIconSizeRefusal = QStringLiteral("ICON として保存出来るサイズは\r\n\r\n 『 32 x 32 』 だけなのです。");
const QString kReplaceQuestion = QStringLiteral("ファイル \"%1\" は既に存在します。置き換えますか?");

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

DocumentKind documentKindOf(PictureKind kind)
{
    return kind == PictureKind::Bitmap ? DocumentKind::Bitmap : DocumentKind::Drawing;
}

} // namespace

DocumentCommands::DocumentCommands(Canvas& canvas, Dialogs& dialogs, QWidget* window)
    : QObject(window)
    , canvas_(canvas)
    , dialogs_(dialogs)
    , window_(window)
{
}

SaveAnswer DocumentCommands::AskToSaveChanges()
{
    dialogs_.beep();
    return dialogs_.askYesNoCancel(window_, fromUtf8(unsavedChangesText(canvas_.document().CurrentFileName())));
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
    const std::string& name = canvas_.document().CurrentFileName();
    const std::optional<SaveKind> kind = savedKindFor(name);
    if (!kind) {
        ActSaveAsExecute();
        return;
    }
    if (*kind == SaveKind::Icon)
        saveIcon(fromUtf8(name));
    else
        reportingFileErrors(dialogs_, window_, [&] { writeDocument(fromUtf8(name), *kind); });
}

void DocumentCommands::noteOpenedFile(const QString& fileName, std::optional<IconHoldings> beyondSave)
{
    openedFileName_ = fileName.toStdString();
    openedBeyondSave_ = std::move(beyondSave);
}

void DocumentCommands::openPicture(OpenedPicture opened, const QString& fileName)
{
    canvas_.document().open(std::move(opened.picture), fileName.toStdString(), documentKindOf(opened.kind));
    noteOpenedFile(fileName, std::move(opened.beyondSave));
}

void DocumentCommands::restoreDrawing(PixelBuffer picture, const std::string& fileName)
{
    const PictureKind kind = pictureKindFor(fileName);
    // Gone or unreadable: there is nothing in it to lose.
    std::optional<IconHoldings> beyondSave = kind == PictureKind::Icon ? readIconHoldings(fileName) : std::nullopt;
    canvas_.document().restore(std::move(picture), fileName, documentKindOf(kind));
    noteOpenedFile(fromUtf8(fileName), std::move(beyondSave));
}

bool DocumentCommands::isOpenedFile(const QString& fileName) const
{
    if (openedFileName_.empty())
        return false;
    const QFileInfo opened(fromUtf8(openedFileName_));
    const QFileInfo named(fileName);
    if (opened.exists() && named.exists())
        return opened.canonicalFilePath() == named.canonicalFilePath();
    return opened.absoluteFilePath() == named.absoluteFilePath();
}

DocumentCommands::IconSave DocumentCommands::askBeforeIconSave(const QString& fileName)
{
    if (!openedBeyondSave_ || !isOpenedFile(fileName))
        return IconSave::OneImage;
    const IconHoldings& holdings = *openedBeyondSave_;
    const int width = canvas_.ImageWidth();
    const int height = canvas_.ImageHeight();
    KeepImages keep = keepImages(holdings, width, height);
    std::string unreadable;
    try {
        if (keep == KeepImages::Possible && !stillAsOpened(openedFileName_, holdings.stamp))
            keep = KeepImages::ChangedOnDisk;
    } catch (const FileError& error) {
        keep = KeepImages::ChangedOnDisk;
        unreadable = error.what();
    }
    if (keep == KeepImages::Possible || keep == KeepImages::ChangedOnDisk) {
        const QString question = fromUtf8(keepImagesQuestion(holdings, keep, canvas_.actualSize(), unreadable));
        switch (dialogs_.askKeepOtherImages(window_, question, keep == KeepImages::Possible)) {
        case SaveAnswer::Yes:
            return keep == KeepImages::Possible ? IconSave::KeepOthers : IconSave::Cancel;
        case SaveAnswer::No:
            return IconSave::OneImage;
        case SaveAnswer::Cancel:
            break;
        }
        return IconSave::Cancel;
    }
    const std::string question = keepImagesRefusal(holdings, keep) + overwriteLossQuestion(holdings, width, height);
    return dialogs_.askYesNo(window_, fromUtf8(question)) ? IconSave::OneImage : IconSave::Cancel;
}

bool DocumentCommands::saveIcon(const QString& fileName)
{
    const IconSave how = askBeforeIconSave(fileName);
    if (how == IconSave::Cancel)
        return false;
    return reportingFileErrors(dialogs_, window_, [&] {
        if (how == IconSave::KeepOthers)
            writeKeepingOtherImages(fileName);
        else
            writeDocument(fileName, SaveKind::Icon);
    });
}

void DocumentCommands::writeKeepingOtherImages(const QString& fileName)
{
    // The other images are copied from the file as it is now, once it is
    // known to be the file that was opened, as it was.
    const std::vector<std::uint8_t> merged = readingWithinMemory(openedFileName_, [&] {
        const std::optional<std::vector<std::uint8_t>> file = stillAsOpened(openedFileName_, openedBeyondSave_->stamp);
        if (!file)
            throw FileError(FileAction::Replacing, fileName.toStdString(), "開いた後に変更されたため");
        return iconFileWithDrawing(*file, *openedBeyondSave_, canvas_.actualSize());
    });
    writeBytes(fileName, merged);
}

void DocumentCommands::ActSaveAsExecute()
{
    // The preview only helps to choose: without it the dialog opens all
    // the same, on no file.
    PrepareSavePreview();
    // The name's own extension or the filter's decides the kind, so the
    // dialog adds none of its own.
    if (const std::optional<SaveChoice> choice = dialogs_.askSaveFileName(window_, PreviewFileName(), QString()))
        saveAsFromDialog(*choice);
}

void DocumentCommands::saveAsFromDialog(const SaveChoice& choice)
{
    const QString fileName = fromUtf8(saveAsFileName(choice.fileName.toStdString(), choice.kind));
    const SaveKind kind = savedKindFor(fileName.toStdString()).value_or(choice.kind);
    if (!saveAsAccepts(kind, canvas_.ImageWidth(), canvas_.ImageHeight())) {
        canvas_.document().rename({});
        dialogs_.beep();
        dialogs_.showRefusal(window_, kIconSizeRefusal);
        return;
    }
    // The document takes the name once the file is written: a write that
    // fails leaves it named as it was.
    bool written = false;
    if (kind == SaveKind::Icon && openedBeyondSave_ && isOpenedFile(fileName))
        written = saveIcon(fileName);
    else if (mayReplace(fileName))
        written = reportingFileErrors(dialogs_, window_, [&] { writeDocument(fileName, kind); });
    if (written)
        preview_.remove();
}

bool DocumentCommands::mayReplace(const QString& fileName)
{
    // The preview this command wrote itself is not asked about.
    if (!QFileInfo(fileName).isFile() || preview_.isPreview(fileName))
        return true;
    return dialogs_.askYesNo(window_, kReplaceQuestion.arg(QFileInfo(fileName).absoluteFilePath()));
}

void DocumentCommands::writeDocument(const QString& fileName, SaveKind kind)
{
    writeBytes(fileName, savedFileBytes(canvas_.actualSize(), kind));
}

void DocumentCommands::writeBytes(const QString& fileName, const std::vector<std::uint8_t>& bytes)
{
    writeFileWhole(fileName.toStdString(), bytes, {.syncNewFile = true});
    // The file holds what was just written: the images kept, if any, and
    // nothing else beyond the drawing.
    if (isOpenedFile(fileName))
        openedBeyondSave_ = readIconHoldings(openedFileName_);
    canvas_.document().markSaved(fileName.toStdString());
    emit saved(fileName);
}

void DocumentCommands::SaveBitmapFile(const QString& fileName)
{
    writeDocument(fileName, SaveKind::Bitmap);
}

void DocumentCommands::SaveIconFile(const QString& fileName)
{
    writeDocument(fileName, SaveKind::Icon);
}

void DocumentCommands::SaveCursorFile(const QString& fileName, const PixelBuffer& picture, int, int)
{
    writeFileWhole(fileName.toStdString(), savedFileBytes(picture, SaveKind::Icon));
}

QString DocumentCommands::programCursorFile() const
{
    const QString program = programFilePath_.isEmpty() ? QCoreApplication::applicationFilePath() : programFilePath_;
    return fromUtf8(withExtension(program.toStdString(), ".cur"));
}

QString DocumentCommands::saveProgramCursorFile(const PixelBuffer& picture, int hotSpotX, int hotSpotY)
{
    const QString beside = programCursorFile();
    // An installed program's folder is not the user's to write, even where
    // the system lets the user (root) write it: beside the program only
    // where its folder is the user's own, or cannot be looked at.
    const QFileInfo programFolder(QFileInfo(beside).absolutePath());
    std::optional<FileError> told;
    if (!programFolder.exists() || programFolder.ownerId() == ::geteuid()) {
        try {
            SaveCursorFile(beside, picture, hotSpotX, hotSpotY);
            return beside;
        } catch (const FileError& besideError) {
            told = besideError;
        }
    }
    // When the user's own folder fails too, the first failure is the one told.
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (own.isEmpty() && told)
        throw *told;
    // With no folder of the user's at all, beside the program is all there is.
    const QString instead = own.isEmpty() ? beside : QDir(own).filePath(QFileInfo(beside).fileName());
    if (!own.isEmpty())
        QDir().mkpath(own);  // a folder that cannot be made fails the write below
    try {
        SaveCursorFile(instead, picture, hotSpotX, hotSpotY);
    } catch (const FileError&) {
        if (told)
            throw *told;
        throw;
    }
    return instead;
}

QString DocumentCommands::previewFolder()
{
    return SavePreview::folder();
}

void DocumentCommands::PrepareSavePreview()
{
    preview_.write(savedFileBytes(canvas_.actualSize(), SaveKind::Bitmap));
}

} // namespace pimoko
