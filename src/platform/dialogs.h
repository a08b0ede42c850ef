#pragma once

#include "files/model/saved_file.h"
#include "raster/color.h"

#include <QString>

#include <optional>

class QPrinter;
class QWidget;

namespace pimoko {

// The answers of the unsaved-changes question.
enum class SaveAnswer { Yes, No, Cancel };

// What became of the print question.
enum class PrintAnswer { Print, Cancel, NoPrinter };

// The name given in the save dialog and the filter it was given under.
struct SaveChoice {
    QString fileName;
    SaveKind kind = SaveKind::Icon;
};

// Every modal question the editor asks goes through this seam: real Qt
// dialogs in the program, scripted answers in tests.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The colour-choice dialog, opened on `initial`; nothing when cancelled.
    virtual std::optional<Color> chooseColor(QWidget* parent, Color initial) = 0;
    // The question box titled "確認" with Yes, No and Cancel; Yes is the
    // default, Esc and the close box answer Cancel.
    virtual SaveAnswer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    // The question box titled "確認" with Yes and No; No is the default, Esc
    // and the close box answer No. True for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // The same box with Yes as the default: Enter answers Yes. Only a
    // button answers it (Esc and the close box do nothing); nothing when it
    // went without an answer, as when the program is made to quit.
    virtual std::optional<bool> askYesNoDefaultYes(QWidget* parent, const QString& text) = 0;
    // The question box titled "確認" before a save into an icon file of
    // several images: Yes (keep the others, the default), No (this image
    // only) and Cancel; without keepOffered only No and Cancel, Cancel the
    // default. Esc and the close box answer Cancel.
    virtual SaveAnswer askKeepOtherImages(QWidget* parent, const QString& text, bool keepOffered) = 0;
    // A refusal the program decides itself: title " ピモコ ", OK, no icon.
    virtual void showRefusal(QWidget* parent, const QString& text) = 0;
    // The one general error box: title "ピモコ", error icon, OK; `text` is
    // shown as withFullStop makes it.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // The open dialog with its picture preview; nothing when cancelled.
    virtual std::optional<QString> askOpenFileName(QWidget* parent) = 0;
    // The save dialog with its picture preview, opened on `presetFileName`
    // (its folder and name); `defaultSuffix`, unless empty, is added to a
    // name typed without one. Nothing when cancelled.
    virtual std::optional<SaveChoice> askSaveFileName(QWidget* parent, const QString& presetFileName,
                                                      const QString& defaultSuffix) = 0;
    // The print dialog: the printer, its settings and the copies, set into
    // `printer` when confirmed. NoPrinter, before any dialog, when the
    // system has no printer.
    virtual PrintAnswer askToPrint(QWidget* parent, QPrinter& printer) = 0;
    // The system's question sound.
    virtual void beep() = 0;
};

// The text of an error box: "." is added when the last character sorts
// after ".".
QString withFullStop(const QString& text);

// The program's dialogs. The colour dialog keeps its 16 custom colours for
// the run only.
class QtDialogs : public Dialogs {
public:
    std::optional<Color> chooseColor(QWidget* parent, Color initial) override;
    SaveAnswer askYesNoCancel(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    std::optional<bool> askYesNoDefaultYes(QWidget* parent, const QString& text) override;
    SaveAnswer askKeepOtherImages(QWidget* parent, const QString& text, bool keepOffered) override;
    void showRefusal(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    std::optional<QString> askOpenFileName(QWidget* parent) override;
    std::optional<SaveChoice> askSaveFileName(QWidget* parent, const QString& presetFileName,
                                              const QString& defaultSuffix) override;
    PrintAnswer askToPrint(QWidget* parent, QPrinter& printer) override;
    void beep() override;
};

} // namespace pimoko
