#pragma once

#include "app/main_window_ui.h"
#include "editor/model/canvas.h"
#include "editor/model/drawing_tools.h"
#include "editor/model/rescue_history.h"
#include "editor/model/tool_codes.h"
#include "raster/color.h"

#include <QCursor>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace pimoko {

enum class TransformMode;

class ActionList;
class ColorPanel;
class Dialogs;
class DocumentCommands;
class EditViewInput;
class RecoveryKeeper;
class TAboutBox;
class TOKBottomDlg;

// The editor's one window. A switchboard: it turns Qt events and commands
// into the editor's handlers, each a few lines that hand the work to the
// canvas model, the colour panel, the document's file commands and the
// views. The controls are built by MainWindowUi.
class TPimoForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = MainWindowUi::ClientWidth;
    static constexpr int ClientHeight = MainWindowUi::ClientHeight;

    explicit TPimoForm1(QStringList filesToOpen = {});
    // With the dialogs of a test instead of the real ones.
    TPimoForm1(std::unique_ptr<Dialogs> dialogs, QStringList filesToOpen = {});
    ~TPimoForm1() override;

    // Editor state and pictures.
    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }
    ToolCode tool() const { return FTool; }
    Color leftColor() const;
    Color rightColor() const;
    void setLeftColor(Color c);
    ActionList* actions() const { return ActionList1; }
    DocumentCommands* documentCommands() const { return files_; }
    QString statusText(int panel) const;
    // The cursor loaded into a slot of the tool cursor table, if any.
    const std::optional<QCursor>& cursorSlot(int slot) const { return cursorSlots_.at(std::size_t(slot)); }

    // Canvas routines: rebuild the model and bring the widgets along.
    void ResetCanvas(Color GridColor, Color BackColor);
    void RefreshAfterEdit();
    void UpdateMaskPreviews();
    void ApplyBackPanelColor();

    void SelectTool();
    void ApplicationEvents1Hint(const QString& hint);

    // The editing view's mouse handlers.
    void Im1MouseDown(Qt::MouseButton button, MouseState state, QPoint point);
    void Im1MouseMove(MouseState state, QPoint point);
    void Im1MouseUp(Qt::MouseButton button, MouseState state, QPoint point);
    // The palette's mouse handlers; the colour panel runs the same for the
    // palette's own presses and releases.
    void ColorGrid1MouseDown(Qt::MouseButton button);
    void ColorGrid1MouseUp(Qt::MouseButton button);

    // Opens a picture file as the document: the question first, then the
    // file read by its extension, refusals and read errors shown, the window
    // as it was after any of them.
    void OpenImageFile(const QString& fileName);

    const RescueHistory& rescueHistory() const { return canvas_.document().rescueHistory(); }
    TAboutBox* aboutBox() const { return AboutBox; }
    TOKBottomDlg* sizeDialog() const { return OKBottomDlg; }

public slots:
    void ActNewExecute();
    void ActOpenExecute();
    void ActSaveExecute();
    void ActSaveAsExecute();
    void ActPrintExecute();
    void ActExitExecute();
    void ActUndoExecute();
    void ActSizeExecute();
    void ActBCExecute();
    void ActMakeCursorExecute();
    void Act90Execute();
    void ActHantenRLExecute();
    void ActHantenTBExecute();
    void ActAboutExecute();
    void ActSize1Execute();
    void ActSize2Execute();
    void ActSize3Execute();
    void ActSize4Execute();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Runs each command's handler when the command is triggered.
    void connectCommands();
    void FormCreate();
    void FormShow();
    // Whether the window may close: unsaved changes are settled first.
    bool FormCloseQuery();
    void Ellipse1Click();
    // Releases what the window owns beyond its controls: the rescue copies.
    void FormDestroy();
    void loadToolCursors();
    void centreOnScreen();
    // The size commands' blank white canvas of side x side.
    void setSize(int side);
    // The blank 32 x 32 image of the new-image command.
    void startNewImage();
    void showCaptionFor(const std::string& fileName);
    // The one answer to the document's notice: the views, the size box, the
    // caption, the rescue command and the recovery copy follow the document.
    void documentChanged(Document::Change change);
    // Turns or mirrors the document.
    void transformDocument(TransformMode mode);
    // The enlarge/reduce dialog's OK: the image stretched to side x side.
    void applyChosenSize(int side);
    // Hands the editing view's mouse events to the Im1Mouse handlers.
    void connectEditingView();
    // Brings the widgets along after the canvas model was rebuilt: moves
    // and sizes the views, shows or hides the previews, repaints them all.
    void canvasRebuilt();
    // Called first by every press on the editing view, before the tool acts:
    // the document's startStroke keeps a rescue copy of the image.
    void PushRescue();
    void showPixelPosition(Point pixel);

    Canvas canvas_;
    MainWindowUi ui_;
    ToolCode FTool = ToolCode::Pen;
    DrawingTools drawingTools_;
    std::array<std::optional<QCursor>, 7> cursorSlots_;
    QStringList filesToOpen_;
    std::unique_ptr<Dialogs> dialogs_;
    bool shownOnce_ = false;
    // The hot spot handed to the cursor writer; never changed.
    int FHotSpotX = 0;
    int FHotSpotY = 0;

    ActionList* ActionList1 = nullptr;
    ColorPanel* colorPanel_ = nullptr;
    EditViewInput* editInput_ = nullptr;
    DocumentCommands* files_ = nullptr;
    RecoveryKeeper* recovery_ = nullptr;
    // Made on first use; a child window, so that it closes with the editor.
    TAboutBox* AboutBox = nullptr;
    TOKBottomDlg* OKBottomDlg = nullptr;
    // The screen's logical vertical dots per inch, read at start-up.
    int screenDpiY_ = 96;
};

} // namespace pimoko
