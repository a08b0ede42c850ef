#pragma once

class QButtonGroup;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QToolButton;
class QWidget;

namespace pimoko {

class ActionList;
class BevelPanel;
class Canvas;
class PixelView;
class StatusPanels;
class TColorGrid;

// The main window's controls at their fixed places: the tool column, the side
// panel with the actual-size view and the colour controls, the magnified
// editing view with the mask previews, the status bar and the menus. Only
// building and placing; what the controls do is wired by the window.
struct MainWindowUi {
    // Client area below the menu bar.
    static constexpr int ClientWidth = 505;
    static constexpr int ClientHeight = 413;

    // Builds every control into `window`; the views show the canvas buffers.
    void setupUi(QMainWindow* window, const ActionList& actions, Canvas& canvas);

    QWidget* CoolBar1 = nullptr;
    QWidget* ToolBar1 = nullptr;
    QButtonGroup* toolGroup = nullptr;
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
    QLineEdit* sizeBox = nullptr;  // object name "size"
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

private:
    void buildToolColumn(QWidget* parent, const ActionList& actions);
    void buildSidePanel(QWidget* parent, const ActionList& actions, Canvas& canvas);
    void buildEditingArea(QWidget* parent, Canvas& canvas);
};

} // namespace pimoko
