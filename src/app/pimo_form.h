#pragma once

#include "editor/model/canvas.h"
#include "editor/model/drawing_tools.h"
#include "editor/model/rescue_history.h"
#include "editor/model/tool_codes.h"
#include "raster/color.h"

#include <QCursor>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace pimoko {

class ActionList;
class TAboutBox;
class BevelPanel;
class Dialogs;
class TColorGrid;
class PixelView;
class StatusPanels;

// The editor's one window: a fixed layout of the tool column, the side panel
// with the actual-size view and the colour controls, the magnified editing
// view with the mask previews, and the status bar. It turns Qt events into
// the editor's handlers and shows the canvas buffers; the pixels themselves
// are the Canvas model's.
class TPimoForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Client area below the menu bar.
    static constexpr int ClientWidth = 505;
    static constexpr int ClientHeight = 413;

    explicit TPimoForm1(QStringList filesToOpen = {});
    // With the dialogs of a test instead of the real ones.
    TPimoForm1(std::unique_ptr<Dialogs> dialogs, QStringList filesToOpen = {});
    ~TPimoForm1() override;

    // Editor state and pictures.
    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }
    int tool() const { return FTool; }
    Color leftColor() const { return colors_.left; }
    Color rightColor() const { return colors_.right; }
    void setLeftColor(Color c);
    void setRightColor(Color c);
    ActionList* actions() const { return ActionList1; }
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

    // The editing view's mouse handlers; `state` is a set of MouseState flags.
    void Im1MouseDown(Qt::MouseButton button, unsigned state, QPoint point);
    void Im1MouseMove(unsigned state, QPoint point);
    void Im1MouseUp(Qt::MouseButton button, unsigned state, QPoint point);

    const RescueHistory& rescueHistory() const { return rescue_; }
    // Makes the windows that live hidden beside the main window until the
    // program ends; done once the main window is on its way to the screen.
    void createDialogs();
    TAboutBox* aboutBox() const { return AboutBox.get(); }

public slots:
    void ActExitExecute();
    void ActUndoExecute();
    void ActAboutExecute();
    void ActBCExecute();
    // Commands whose work is still to come: they run and change nothing.
    void ActNewExecute();
    void ActOpenExecute();
    void ActSaveExecute();
    void ActSaveAsExecute();
    void ActPrintExecute();
    void ActSizeExecute();
    void ActMakeCursorExecute();
    void Act90Execute();
    void ActHantenRLExecute();
    void ActHantenTBExecute();
    void ActSize1Execute();
    void ActSize2Execute();
    void ActSize3Execute();
    void ActSize4Execute();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildToolColumn(QWidget* parent);
    void buildSidePanel(QWidget* parent);
    void buildEditingArea(QWidget* parent);
    // Runs each command's handler when the command is triggered.
    void connectCommands();
    void FormCreate();
    void FormShow();
    // Whether the window may close; the place where unsaved changes are
    // asked about before the editor goes away.
    bool FormCloseQuery();
    void Ellipse1Click();
    // Releases what the window owns beyond its controls: the rescue copies.
    void FormDestroy();
    void loadToolCursors();
    void centreOnScreen();
    void setSize(int size, bool showMasks);
    // Moves and sizes the view widgets after the canvas changed size.
    void placeViews();
    void refreshViews();
    // Brings the widgets along after the canvas model was rebuilt.
    void canvasRebuilt();
    void setBoxColor(QLineEdit* box, Color c);
    void connectEditView();
    // Called first by every press on the editing view, before the tool acts:
    // the place where the rescue history keeps a copy of the image.
    void PushRescue();
    void showPixelPosition(Point pixel);
    void ColorGrid1MouseDown(Qt::MouseButton button);
    void ColorGrid1MouseUp(Qt::MouseButton button);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Canvas canvas_;
    int FTool = ToolCode::Pen;
    PenColors colors_;
    DrawingTools drawingTools_;
    RescueHistory rescue_;
    std::array<std::optional<QCursor>, 7> cursorSlots_;
    QStringList filesToOpen_;
    std::unique_ptr<Dialogs> dialogs_;
    // The colour the back-panel dialog opens on: the one last chosen in it.
    Color lastChosenBackColor_ = kBlack;
    bool shownOnce_ = false;
    // Between a left press on the editing view and its release, the view
    // sees the mouse wherever it goes.
    bool leftButtonCaptured_ = false;

    ActionList* ActionList1 = nullptr;
    std::unique_ptr<TAboutBox> AboutBox;

    QWidget* CoolBar1 = nullptr;
    QWidget* ToolBar1 = nullptr;
    QButtonGroup* toolGroup_ = nullptr;
    QToolButton* Pen1 = nullptr;
    QToolButton* Line1 = nullptr;
    QToolButton* Ellipse1 = nullptr;
    QToolButton* Rect1 = nullptr;
    QToolButton* RRect1 = nullptr;
    QToolButton* Spoide1 = nullptr;
    QToolButton* Paint1 = nullptr;

    BevelPanel* Panel2 = nullptr;
    BevelPanel* Panel3 = nullptr;
    PixelView* Im2 = nullptr;
    QLineEdit* size = nullptr;
    QLineEdit* LColor = nullptr;
    QLineEdit* RColor = nullptr;
    TColorGrid* ColorGrid1 = nullptr;
    QPushButton* Button1 = nullptr;

    BevelPanel* Panel1 = nullptr;
    PixelView* Im1 = nullptr;
    QLabel* Label1 = nullptr;
    BevelPanel* MaskPanel = nullptr;
    BevelPanel* ANDPanel = nullptr;
    BevelPanel* ORPanel = nullptr;
    BevelPanel* IMPanel = nullptr;
    PixelView* Im3 = nullptr;
    PixelView* Im4 = nullptr;
    PixelView* Im5 = nullptr;
    QLabel* ANDLabel = nullptr;
    QLabel* ORLabel = nullptr;
    QLabel* IMLabel = nullptr;
    QLabel* PlusLabel = nullptr;
    QLabel* IcuLabel = nullptr;

    StatusPanels* StatusBar1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
};

} // namespace pimoko
