#include "app/pimo_form.h"

#include "app/about_box.h"
#include "app/action_list.h"
#include "app/glyph_list.h"
#include "app/hints.h"
#include "editor/color_grid.h"
#include "editor/pixel_view.h"
#include "platform/bevel_panel.h"
#include "platform/cursor_loader.h"
#include "platform/dialogs.h"
#include "platform/interface_font.h"
#include "platform/pixel_image.h"
#include "platform/status_panels.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QToolButton>

#include <cmath>

namespace pimoko {

namespace {

const QString kCaptionPrefix = QStringLiteral(" ピモコ   ルポミ舎     ");
const QString kNewImageName = QStringLiteral("　新規画像");
constexpr int kToolButtonWidth = 23;
constexpr int kToolButtonHeight = 22;

// A label that sizes itself to its text, like an auto-sized caption.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int pixelSize)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(uiFont(pixelSize, true));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* makeReadOnlyBox(QWidget* parent, const char* name, QRect geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setGeometry(geometry);
    box->setCursor(Qt::ArrowCursor);
    // Right clicks here choose colours; they open no edit menu.
    box->setContextMenuPolicy(Qt::PreventContextMenu);
    return box;
}

void setTextColor(QWidget* widget, Color c)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, toQColor(c));
    palette.setColor(QPalette::Text, toQColor(c));
    widget->setPalette(palette);
}

// The view pixel under the pointer; positions between pixels belong to the
// pixel to their upper left.
QPoint viewPointOf(const QMouseEvent* event)
{
    return {int(std::floor(event->position().x())), int(std::floor(event->position().y()))};
}

unsigned mouseStateOf(const QMouseEvent* event, bool secondOfDoubleClick = false)
{
    unsigned state = 0;
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons & Qt::LeftButton)
        state |= MouseState::Left;
    if (buttons & Qt::RightButton)
        state |= MouseState::Right;
    if (buttons & Qt::MiddleButton)
        state |= MouseState::Middle;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ShiftModifier)
        state |= MouseState::Shift;
    if (modifiers & Qt::ControlModifier)
        state |= MouseState::Ctrl;
    if (modifiers & Qt::AltModifier)
        state |= MouseState::Alt;
    if (secondOfDoubleClick)
        state |= MouseState::DoubleClick;
    return state;
}

} // namespace

TPimoForm1::TPimoForm1(QStringList filesToOpen)
    : TPimoForm1(std::make_unique<QtDialogs>(), std::move(filesToOpen))
{
}

TPimoForm1::TPimoForm1(std::unique_ptr<Dialogs> dialogs, QStringList filesToOpen)
    : filesToOpen_(std::move(filesToOpen))
    , dialogs_(std::move(dialogs))
{
    setObjectName(QStringLiteral("PimoForm1"));
    // Fixed size: a system menu and a minimise box, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(uiFont(15, false));
    ActionList1 = new ActionList(this);
    buildLayout();
    FormCreate();
    centreOnScreen();
}

void TPimoForm1::centreOnScreen()
{
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TPimoForm1::~TPimoForm1()
{
    FormDestroy();
}

void TPimoForm1::FormDestroy()
{
    rescue_ = RescueHistory();
}

void TPimoForm1::buildLayout()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    auto* splitter = new QFrame(client);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setGeometry(0, 0, 3, 394);

    CoolBar1 = new QWidget(client);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setGeometry(3, 0, 108, 394);
    buildToolColumn(CoolBar1);
    buildSidePanel(CoolBar1);

    Panel1 = new BevelPanel(client, BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Lowered);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(112, 0, 394, 394);
    Panel1->setContextMenuPolicy(Qt::PreventContextMenu);
    buildEditingArea(Panel1);

    StatusBar1 = new StatusPanels({400, 100}, client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, 394, ClientWidth, 19);

    // The menu bar: nullptr stands for a separator line.
    auto* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto addMenu = [bar](const char* name, const QString& title, std::initializer_list<QAction*> items) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        for (QAction* item : items) {
            if (item)
                menu->addAction(item);
            else
                menu->addSeparator();
        }
        return menu;
    };
    const ActionList& a = *ActionList1;
    addMenu("File1", QStringLiteral("ファイル"),
            {a.ActNew, nullptr, a.ActOpen, nullptr, a.ActSave, a.ActSaveAs, nullptr, a.ActPrint, nullptr, a.ActExit});
    addMenu("Edit1", QStringLiteral("編集"), {a.ActSize, nullptr, a.ActUndo, nullptr, a.ActBC});
    addMenu("N10", QStringLiteral("表示"), {a.Act90, nullptr, a.ActHantenRL, a.ActHantenTB});
    QMenu* help = addMenu("Help1", QStringLiteral("ヘルプ"), {});
    auto* about = new QAction(ActionList1->ActAbout->text(), help);
    about->setObjectName(QStringLiteral("ActAbout1"));
    applyHint(about, QStringLiteral("バージョン情報|バージョン情報を表示します。"));
    connect(about, &QAction::triggered, ActionList1->ActAbout, &QAction::trigger);
    help->addAction(about);

    connectCommands();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TPimoForm1::connectCommands()
{
    const ActionList& a = *ActionList1;
    const std::pair<QAction*, void (TPimoForm1::*)()> handlers[] = {
        {a.ActNew, &TPimoForm1::ActNewExecute},
        {a.ActOpen, &TPimoForm1::ActOpenExecute},
        {a.ActSave, &TPimoForm1::ActSaveExecute},
        {a.ActSaveAs, &TPimoForm1::ActSaveAsExecute},
        {a.ActPrint, &TPimoForm1::ActPrintExecute},
        {a.ActExit, &TPimoForm1::ActExitExecute},
        {a.ActUndo, &TPimoForm1::ActUndoExecute},
        {a.ActSize, &TPimoForm1::ActSizeExecute},
        {a.ActBC, &TPimoForm1::ActBCExecute},
        {a.ActMakeCursor, &TPimoForm1::ActMakeCursorExecute},
        {a.Act90, &TPimoForm1::Act90Execute},
        {a.ActHantenRL, &TPimoForm1::ActHantenRLExecute},
        {a.ActHantenTB, &TPimoForm1::ActHantenTBExecute},
        {a.ActAbout, &TPimoForm1::ActAboutExecute},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
}

void TPimoForm1::buildToolColumn(QWidget* parent)
{
    ToolBar1 = new QWidget(parent);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 9, 23, 381);
    toolGroup_ = new QButtonGroup(this);
    toolGroup_->setExclusive(true);

    int row = 0;
    const auto place = [&](QToolButton* button, const char* name) {
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(0, row * kToolButtonHeight, kToolButtonWidth, kToolButtonHeight);
        ++row;
    };
    const auto commandButton = [&](const char* name, QAction* action) {
        auto* button = new QToolButton(ToolBar1);
        button->setDefaultAction(action);
        place(button, name);
        // A button shows only while its command is visible.
        button->setVisible(action->isVisible());
        connect(action, &QAction::changed, button, [button, action] { button->setVisible(action->isVisible()); });
        return button;
    };
    const auto toolButton = [&](const char* name, int glyph, const QString& hint) {
        auto* button = new QToolButton(ToolBar1);
        button->setCheckable(true);
        button->setIcon(glyphIcon(glyph));
        applyHint(button, hint, true);
        place(button, name);
        toolGroup_->addButton(button);
        connect(button, &QToolButton::clicked, this, &TPimoForm1::Ellipse1Click);
        return button;
    };

    commandButton("ToolButton1", ActionList1->ActNew);
    commandButton("ToolButton2", ActionList1->ActOpen);
    commandButton("ToolButton3", ActionList1->ActSave);
    commandButton("ToolButton4", ActionList1->ActPrint);
    commandButton("ToolButton5", ActionList1->ActUndo);
    Pen1 = toolButton("Pen1", 10, QStringLiteral("ペン|ペン描画状態にします。"));
    Line1 = toolButton("Line1", 8, QStringLiteral("線|線描画状態にします。"));
    Ellipse1 = toolButton("Ellipse1", 6, QStringLiteral("楕円|楕円描画状態にします。"));
    Rect1 = toolButton("Rect1", 11, QStringLiteral("四角|四角描画状態にします。"));
    RRect1 = toolButton("RRect1", 20, QStringLiteral("角丸四角|角丸四角描画状態にします。"));
    Spoide1 = toolButton("Spoide1", 13, QStringLiteral("色の抽出|画像から色を抽出します"));
    Paint1 = toolButton("Paint1", 9, QStringLiteral("塗潰し|選択されている色で塗潰します。"));
    commandButton("Kaiten90", ActionList1->Act90);
    commandButton("HantenLR1", ActionList1->ActHantenRL);
    commandButton("HantenTB1", ActionList1->ActHantenTB);
    commandButton("Size1", ActionList1->ActSize);
    // Follows its command, which is never visible.
    commandButton("ToolButton6", ActionList1->ActMakeCursor);
    Pen1->setChecked(true);
}

void TPimoForm1::buildSidePanel(QWidget* parent)
{
    Panel2 = new BevelPanel(parent);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(23, 9, 76, 381);

    Panel3 = new BevelPanel(Panel2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(2, 2, 72, 72);
    Panel3->setContextMenuPolicy(Qt::PreventContextMenu);
    Im2 = new PixelView(&canvas_.Im2, Panel3);
    Im2->setObjectName(QStringLiteral("Im2"));
    applyHint(Im2, QStringLiteral("実寸大|実際の寸法で描画しています。"), true);

    size = makeReadOnlyBox(Panel2, "size", QRect(8, 80, 60, 21));
    size->setFont(uiFont(13, true));
    applyHint(size, QStringLiteral("サイズ|キャンバス・サイズを表示・・・　クリックでバックパネル色を変更できます"), true);
    LColor = makeReadOnlyBox(Panel2, "LColor", QRect(9, 110, 25, 23));
    applyHint(LColor, QStringLiteral("選択色|現在のペンの色（左ボタン）です。"), true);
    RColor = makeReadOnlyBox(Panel2, "RColor", QRect(40, 110, 25, 23));
    applyHint(RColor, QStringLiteral("選択色|現在のペンの色（右ボタン）です。"), true);

    size->installEventFilter(this);

    ColorGrid1 = new TColorGrid(Panel2);
    ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
    ColorGrid1->setGeometry(8, 140, 60, 200);
    ColorGrid1->setFont(uiFont(12, false));
    ColorGrid1->setContextMenuPolicy(Qt::PreventContextMenu);
    applyHint(ColorGrid1, QStringLiteral("ペンの色|ペンの色を選択できます。"), false);
    connect(ColorGrid1, &TColorGrid::mouseDown, this, [this](Qt::MouseButton button) { ColorGrid1MouseDown(button); });
    connect(ColorGrid1, &TColorGrid::mouseUp, this, [this](Qt::MouseButton button) { ColorGrid1MouseUp(button); });

    Button1 = new QPushButton(ActionList1->ActExit->text(), Panel2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 352, 60, 24);
    Button1->setFont(uiFont(12, false));
    Button1->setStatusTip(ActionList1->ActExit->statusTip());
    connect(Button1, &QPushButton::clicked, ActionList1->ActExit, &QAction::trigger);
    connect(ActionList1->ActExit, &QAction::changed, Button1,
            [this] { Button1->setEnabled(ActionList1->ActExit->isEnabled()); });
}

void TPimoForm1::buildEditingArea(QWidget* parent)
{
    Im1 = new PixelView(&canvas_.Im1, parent);
    Im1->setObjectName(QStringLiteral("Im1"));
    connectEditView();

    Label1 = new QLabel(QStringLiteral("透明色→"), parent);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(uiFont(15, true));
    Label1->setAutoFillBackground(true);
    Label1->resize(64, 15);

    MaskPanel = new BevelPanel(parent);
    MaskPanel->setObjectName(QStringLiteral("MaskPanel"));
    MaskPanel->setGeometry(106, 10, 182, 60);
    const auto frame = [&](const char* name, int left) {
        auto* panel = new BevelPanel(MaskPanel);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setGeometry(left, 1, 40, 40);
        return panel;
    };
    ANDPanel = frame("ANDPanel", 0);
    ORPanel = frame("ORPanel", 70);
    IMPanel = frame("IMPanel", 140);
    Im3 = new PixelView(&canvas_.Im3, ANDPanel);
    Im3->setObjectName(QStringLiteral("Im3"));
    applyHint(Im3, QStringLiteral("AND|AND Mask を表示しています。"), true);
    Im4 = new PixelView(&canvas_.Im4, ORPanel);
    Im4->setObjectName(QStringLiteral("Im4"));
    applyHint(Im4, QStringLiteral("OR|OR Mask を表示しています。"), true);
    Im5 = new PixelView(&canvas_.Im5, IMPanel);
    Im5->setObjectName(QStringLiteral("Im5"));
    applyHint(Im5, QStringLiteral("Image|実際の表示状態です。（ Icon として保存した場合 ）"), true);
    ANDLabel = makeLabel(MaskPanel, "ANDLabel", QStringLiteral("AND"), 8, 44, 12);
    ORLabel = makeLabel(MaskPanel, "ORLabel", QStringLiteral(" OR"), 78, 44, 12);
    IMLabel = makeLabel(MaskPanel, "IMLabel", QStringLiteral("Image"), 146, 44, 12);
    PlusLabel = makeLabel(MaskPanel, "PlusLabel", QStringLiteral("+"), 47, 7, 27);
    IcuLabel = makeLabel(MaskPanel, "IcuLabel", QStringLiteral("="), 117, 7, 27);
}

void TPimoForm1::FormCreate()
{
    loadToolCursors();
    canvas_.ImageWidth = 32;
    canvas_.ImageHeight = 32;
    setLeftColor(0xFF0000);
    setRightColor(0x0000FF);
    canvas_.BackPanelColor = 0x008000;
    ActionList1->ActUndo->setEnabled(false);
    canvas_.CurrentFileName.clear();
    setWindowTitle(kCaptionPrefix + kNewImageName);
    ApplyBackPanelColor();
    for (QAction* action : {ActionList1->ActNew, ActionList1->ActOpen, ActionList1->ActSave, ActionList1->ActPrint})
        action->setEnabled(true);
    for (QToolButton* button : {Pen1, Line1, Ellipse1, Rect1, RRect1, Spoide1, Paint1})
        button->setEnabled(true);
    ResetCanvas(kBlack, kWhite);
    setAcceptDrops(true);
}

void TPimoForm1::loadToolCursors()
{
    const QDir here = QDir::current();
    const auto load = [&](int slot, const char* file) {
        cursorSlots_.at(std::size_t(slot)) = loadCursorFile(here.filePath(QString::fromLatin1(file)));
    };
    load(4, "spoid.cur");
    load(3, "pen.cur");
    load(5, "paint.cur");
    load(6, "line.cur");
}

void TPimoForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TPimoForm1::FormShow()
{
    // Files named on the command line are opened here, first to last.
    Button1->setFocus();
}

bool TPimoForm1::FormCloseQuery()
{
    return true;
}

void TPimoForm1::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TPimoForm1::createDialogs()
{
    if (!AboutBox)
        AboutBox = std::make_unique<TAboutBox>();
}

void TPimoForm1::ActAboutExecute()
{
    createDialogs();
    // Already open, even behind the main window: left where it is.
    if (AboutBox->isVisible())
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        AboutBox->move(screen->availableGeometry().center() - AboutBox->rect().center());
    AboutBox->show();
}

void TPimoForm1::ActNewExecute() {}
void TPimoForm1::ActOpenExecute() {}
void TPimoForm1::ActSaveExecute() {}
void TPimoForm1::ActSaveAsExecute() {}
void TPimoForm1::ActPrintExecute() {}
void TPimoForm1::ActSizeExecute() {}
void TPimoForm1::ActMakeCursorExecute() {}
void TPimoForm1::Act90Execute() {}
void TPimoForm1::ActHantenRLExecute() {}
void TPimoForm1::ActHantenTBExecute() {}

void TPimoForm1::ActExitExecute()
{
    close();
}

bool TPimoForm1::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        ApplicationEvents1Hint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::KeyPress && Button1 && Button1->hasFocus()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1->click();
            return true;
        }
    }
    return QMainWindow::event(event);
}

void TPimoForm1::ApplicationEvents1Hint(const QString& hint)
{
    StatusBar1->setText(0, hint);
}

QString TPimoForm1::statusText(int panel) const
{
    return StatusBar1->text(panel);
}

void TPimoForm1::Ellipse1Click()
{
    SelectTool();
}

void TPimoForm1::SelectTool()
{
    struct ToolChoice {
        QToolButton* button;
        int code;
        int cursorSlot;  // 0: the cross-hair
    };
    const ToolChoice choices[] = {
        {Pen1, ToolCode::Pen, 3},         {Rect1, ToolCode::Rectangle, 0}, {RRect1, ToolCode::RoundRectangle, 0},
        {Ellipse1, ToolCode::Ellipse, 0}, {Line1, ToolCode::Line, 6},      {Paint1, ToolCode::Fill, 5},
        {Spoide1, ToolCode::ColorPicker, 4},
    };
    for (const ToolChoice& choice : choices) {
        if (!choice.button->isChecked())
            continue;
        FTool = choice.code;
        if (choice.cursorSlot == 0)
            Im1->setCursor(Qt::CrossCursor);
        else if (const auto& cursor = cursorSlots_.at(std::size_t(choice.cursorSlot)))
            Im1->setCursor(*cursor);
        else
            Im1->setCursor(Qt::ArrowCursor);
        return;
    }
}

void TPimoForm1::setBoxColor(QLineEdit* box, Color c)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, toQColor(c));
    box->setPalette(palette);
}

void TPimoForm1::setLeftColor(Color c)
{
    colors_.left = c & 0xFFFFFF;
    setBoxColor(LColor, colors_.left);
}

void TPimoForm1::setRightColor(Color c)
{
    colors_.right = c & 0xFFFFFF;
    setBoxColor(RColor, colors_.right);
}

void TPimoForm1::ColorGrid1MouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        setLeftColor(ColorGrid1->ForegroundRGB());
    else if (button == Qt::RightButton)
        setRightColor(ColorGrid1->BackgroundRGB());
}

void TPimoForm1::ColorGrid1MouseUp(Qt::MouseButton button)
{
    ColorGrid1MouseDown(button);
}

bool TPimoForm1::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the size box changes the back-panel colour.
    if (watched == size && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && size->rect().contains(mouse->position().toPoint()))
            ActBCExecute();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TPimoForm1::ActBCExecute()
{
    const std::optional<Color> chosen = dialogs_->chooseColor(this, lastChosenBackColor_);
    if (!chosen)
        return;
    lastChosenBackColor_ = *chosen;
    canvas_.BackPanelColor = *chosen;
    ApplyBackPanelColor();
    UpdateMaskPreviews();
}

void TPimoForm1::ApplyBackPanelColor()
{
    const Color back = canvas_.BackPanelColor;
    setBoxColor(size, back);
    for (BevelPanel* panel : {Panel1, MaskPanel, ANDPanel, ORPanel, IMPanel})
        panel->setColor(back);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::Window, toQColor(back));
    Label1->setPalette(labelPalette);

    const Color text = inverted(back);
    for (QWidget* widget : std::initializer_list<QWidget*>{size, Label1, ANDLabel, ORLabel, IMLabel, PlusLabel, IcuLabel})
        setTextColor(widget, text);
}

void TPimoForm1::placeViews()
{
    Im1->syncSize();
    Im1->move(centredOffset(Panel1->width(), Im1->width()), centredOffset(Panel1->height(), Im1->height()));
    Im2->syncSize();
    Im2->move(centredOffset(Panel3->width(), Im2->width()), centredOffset(Panel3->height(), Im2->height()));
    MaskPanel->setVisible(canvas_.maskPanelVisible);
    if (canvas_.maskPanelVisible) {
        for (PixelView* view : {Im3, Im4, Im5}) {
            view->syncSize();
            const QWidget* frame = view->parentWidget();
            view->move(centredOffset(frame->width(), view->width()), centredOffset(frame->height(), view->height()));
        }
        Label1->move(Im1->x() - 65, Im1->y() - 5);
    }
    Label1->setVisible(canvas_.maskPanelVisible);
}

void TPimoForm1::refreshViews()
{
    for (PixelView* view : {Im1, Im2, Im3, Im4, Im5})
        view->update();
}

void TPimoForm1::canvasRebuilt()
{
    placeViews();
    Im2->show();
    size->setText(QString::fromStdString(canvas_.sizeText()));
    SelectTool();
    refreshViews();
}

void TPimoForm1::ResetCanvas(Color GridColor, Color BackColor)
{
    canvas_.ResetCanvas(GridColor, BackColor);
    canvasRebuilt();
}

void TPimoForm1::RefreshAfterEdit()
{
    canvas_.RefreshAfterEdit();
    canvasRebuilt();
}

void TPimoForm1::UpdateMaskPreviews()
{
    canvas_.UpdateMaskPreviews();
    for (PixelView* view : {Im3, Im4, Im5})
        view->syncSize();
}

void TPimoForm1::setSize(int newSize, bool showMasks)
{
    canvas_.ImageWidth = newSize;
    canvas_.ImageHeight = newSize;
    canvas_.maskPanelVisible = showMasks;
    ResetCanvas(kBlack, kWhite);
}

void TPimoForm1::ActSize1Execute() { setSize(16, false); }
void TPimoForm1::ActSize2Execute() { setSize(20, false); }
void TPimoForm1::ActSize3Execute() { setSize(32, true); }
void TPimoForm1::ActSize4Execute() { setSize(64, false); }

void TPimoForm1::connectEditView()
{
    Im1->setMouseTracking(true);
    // Qt keeps sending a pressed widget the mouse events of every button
    // until all are released. Here only a left press on the view keeps the
    // mouse for it, until that button is released; otherwise moves, presses
    // and releases outside the view are not the view's.
    const auto seenByView = [this](const QMouseEvent* event) {
        return leftButtonCaptured_ || Im1->rect().contains(viewPointOf(event));
    };
    connect(Im1, &PixelView::mousePressed, this, [this, seenByView](QMouseEvent* event, bool secondOfDoubleClick) {
        if (!seenByView(event))
            return;
        if (event->button() == Qt::LeftButton)
            leftButtonCaptured_ = true;
        Im1MouseDown(event->button(), mouseStateOf(event, secondOfDoubleClick), viewPointOf(event));
    });
    connect(Im1, &PixelView::mouseMoved, this, [this, seenByView](QMouseEvent* event) {
        if (seenByView(event))
            Im1MouseMove(mouseStateOf(event), viewPointOf(event));
    });
    connect(Im1, &PixelView::mouseReleased, this, [this, seenByView](QMouseEvent* event) {
        const bool seen = seenByView(event);
        if (event->button() == Qt::LeftButton)
            leftButtonCaptured_ = false;
        if (seen)
            Im1MouseUp(event->button(), mouseStateOf(event), viewPointOf(event));
    });
}

void TPimoForm1::PushRescue()
{
    rescue_.PushRescue(canvas_.Im2);
    ActionList1->ActUndo->setEnabled(true);
}

void TPimoForm1::ActUndoExecute()
{
    rescue_.rescueInto(canvas_);
    canvasRebuilt();
    if (!rescue_.canRescue())
        ActionList1->ActUndo->setEnabled(false);
}

void TPimoForm1::showPixelPosition(Point pixel)
{
    StatusBar1->setText(1, QString::fromStdString(DrawingTools::statusText(pixel)));
}

void TPimoForm1::Im1MouseDown(Qt::MouseButton, unsigned state, QPoint point)
{
    PushRescue();
    PenColors colors = colors_;
    showPixelPosition(drawingTools_.mouseDown(canvas_, FTool, state, {point.x(), point.y()}, colors));
    if (colors.left != colors_.left)
        setLeftColor(colors.left);
    if (colors.right != colors_.right)
        setRightColor(colors.right);
    Im1->update();
    Im2->update();
}

void TPimoForm1::Im1MouseMove(unsigned state, QPoint point)
{
    showPixelPosition(drawingTools_.mouseMove(canvas_, FTool, state, {point.x(), point.y()}, colors_));
    if (state == MouseState::Left || state == MouseState::Right) {
        Im1->update();
        Im2->update();
    }
}

void TPimoForm1::Im1MouseUp(Qt::MouseButton, unsigned state, QPoint point)
{
    drawingTools_.mouseUp(canvas_, FTool, state, {point.x(), point.y()}, colors_);
    canvasRebuilt();
}

} // namespace pimoko
