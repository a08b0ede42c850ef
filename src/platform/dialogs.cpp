#include "platform/dialogs.h"

#include "platform/picture_preview.h"
#include "platform/pixel_image.h"
#include "platform/printing.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace pimoko {

namespace {

const QString kQuestionTitle = QStringLiteral("確認");
const QString kRefusalTitle = QStringLiteral(" ピモコ ");
const QString kErrorTitle = QStringLiteral("ピモコ");
const QString kIconFilter = QStringLiteral("アイコン (*.ico)");
const QString kBitmapFilter = QStringLiteral("ビットマップ (*.bmp)");
// One filter: the description names the kinds, the patterns follow.
const QString kOpenFilter = QStringLiteral("アイコン (*.ico),ビットマップ (*.bmp),実行ファイル(*.exe) (*.ico *.bmp *.exe)");

// The boxes' texts break lines with CR LF; a label breaks them at LF.
QString plainLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// Names the box for tests and shows its text as it is: file names are
// never read as markup.
void setPlainText(QMessageBox& box, const char* name)
{
    box.setObjectName(QString::fromLatin1(name));
    box.setTextFormat(Qt::PlainText);
}

// An answer button. Answers share one role, which keeps them in the order
// they are added, left to right, in every desktop's button layout.
QPushButton* addAnswer(QMessageBox& box, const QString& caption, const char* name)
{
    QPushButton* button = box.addButton(caption, QMessageBox::ActionRole);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

QString withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

std::optional<Color> QtDialogs::chooseColor(QWidget* parent, Color initial)
{
    // QColorDialog keeps its custom colours in static storage for the run.
    const QColor chosen = QColorDialog::getColor(toQColor(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

SaveAnswer QtDialogs::askYesNoCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, kQuestionTitle, plainLines(text), QMessageBox::NoButton, parent);
    setPlainText(box, "AskToSaveChanges");
    QPushButton* yes = addAnswer(box, QStringLiteral("はい(&Y)"), "Yes");
    QPushButton* no = addAnswer(box, QStringLiteral("いいえ(&N)"), "No");
    QPushButton* cancel = addAnswer(box, QStringLiteral("キャンセル"), "Cancel");
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return SaveAnswer::Yes;
    if (box.clickedButton() == no)
        return SaveAnswer::No;
    return SaveAnswer::Cancel;
}

SaveAnswer QtDialogs::askKeepOtherImages(QWidget* parent, const QString& text, bool keepOffered)
{
    QMessageBox box(QMessageBox::Question, kQuestionTitle, plainLines(text), QMessageBox::NoButton, parent);
    setPlainText(box, "KeepOtherImages");
    QPushButton* yes = keepOffered ? addAnswer(box, QStringLiteral("はい(&Y)"), "Yes") : nullptr;
    QPushButton* no = addAnswer(box, QStringLiteral("いいえ(&N)"), "No");
    QPushButton* cancel = addAnswer(box, QStringLiteral("キャンセル"), "Cancel");
    // Enter never drops the other images: it keeps them, or saves nothing.
    box.setDefaultButton(yes != nullptr ? yes : cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (yes != nullptr && box.clickedButton() == yes)
        return SaveAnswer::Yes;
    if (box.clickedButton() == no)
        return SaveAnswer::No;
    return SaveAnswer::Cancel;
}

void QtDialogs::showRefusal(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, kRefusalTitle, plainLines(text), QMessageBox::Ok, parent);
    setPlainText(box, "Refusal");
    box.exec();
}

void QtDialogs::showError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, kErrorTitle, plainLines(withFullStop(text)), QMessageBox::Ok, parent);
    setPlainText(box, "ErrorBox");
    box.exec();
}

std::optional<QString> QtDialogs::askOpenFileName(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("OpenPictureDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(kOpenFilter);
    PicturePreview::attachTo(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<SaveChoice> QtDialogs::askSaveFileName(QWidget* parent, const QString& presetFileName,
                                                     const QString& defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SavePictureDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kIconFilter, kBitmapFilter});
    dialog.setDefaultSuffix(defaultSuffix);
    PicturePreview* preview = PicturePreview::attachTo(&dialog);
    if (!presetFileName.isEmpty()) {
        const QFileInfo preset(presetFileName);
        dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
        preview->showFile(preset.absoluteFilePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const SaveKind kind = dialog.selectedNameFilter() == kBitmapFilter ? SaveKind::Bitmap : SaveKind::Icon;
    return SaveChoice{dialog.selectedFiles().constFirst(), kind};
}

PrintAnswer QtDialogs::askToPrint(QWidget* parent, QPrinter& printer)
{
    return printing().askToPrint(parent, printer);
}

void QtDialogs::beep()
{
    QApplication::beep();
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, kQuestionTitle, plainLines(text), QMessageBox::NoButton, parent);
    setPlainText(box, "AskYesNo");
    QPushButton* yes = addAnswer(box, QStringLiteral("はい(&Y)"), "Yes");
    QPushButton* no = addAnswer(box, QStringLiteral("いいえ(&N)"), "No");
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<bool> QtDialogs::askYesNoDefaultYes(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, kQuestionTitle, plainLines(text), QMessageBox::NoButton, parent);
    setPlainText(box, "AskYesNoDefaultYes");
    QPushButton* yes = addAnswer(box, QStringLiteral("はい(&Y)"), "Yes");
    QPushButton* no = addAnswer(box, QStringLiteral("いいえ(&N)"), "No");
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes)
        return true;
    if (box.clickedButton() == no)
        return false;
    return std::nullopt;
}

} // namespace pimoko
