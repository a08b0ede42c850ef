#include "app/main_window_ui.h"

#include "app/action_list.h"
#include "app/glyph_list.h"
#include "app/hints.h"
#include "editor/color_grid.h"
#include "editor/model/canvas.h"
#include "editor/pixel_view.h"
#include "platform/bevel_panel.h"
#include "platform/caption_label.h"
#include "platform/interface_font.h"
#include "platform/status_panels.h"

#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace pimoko {

namespace {

constexpr int kToolButtonWidth = 23;
constexpr int kToolButtonHeight = 22;

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

} // namespace

void MainWindowUi::setupUi(QMainWindow* window, const ActionList& a, Canvas& canvas)
{
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    window->setCentralWidget(client);

    auto* splitter = new QFrame(client);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setGeometry(0, 0, 3, 394);

    CoolBar1 = new QWidget(client);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setGeometry(3, 0, 108, 394);
    buildToolColumn(CoolBar1, a);
    buildSidePanel(CoolBar1, a, canvas);

    Panel1 = new BevelPanel(client, BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Lowered);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(112, 0, 394, 394);
    Panel1->setContextMenuPolicy(Qt::PreventContextMenu);
    buildEditingArea(Panel1, canvas);

    StatusBar1 = new StatusPanels({400, 100}, client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, 394, ClientWidth, 19);

    // The menu bar: nullptr stands for a separator line.
    auto* bar = window->menuBar();
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
    addMenu("File1", QStringLiteral("ファイル"),
            {a.ActNew, nullptr, a.ActOpen, nullptr, a.ActSave, a.ActSaveAs, nullptr, a.ActPrint, nullptr, a.ActExit});
    addMenu("Edit1", QStringLiteral("編集"), {a.ActSize, nullptr, a.ActUndo, nullptr, a.ActBC});
    addMenu("N10", QStringLiteral("表示"), {a.Act90, nullptr, a.ActHantenRL, a.ActHantenTB});
    QMenu* help = addMenu("Help1", QStringLiteral("ヘルプ"), {});
    auto* about = new QAction(a.ActAbout->text(), help);
    about->setObjectName(QStringLiteral("ActAbout1"));
    applyHint(about, QStringLiteral("バージョン情報|バージョン情報を表示します。"));
    QObject::connect(about, &QAction::triggered, a.ActAbout, &QAction::trigger);
    help->addAction(about);

    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindowUi::buildToolColumn(QWidget* parent, const ActionList& a)
{
    ToolBar1 = new QWidget(parent);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 9, 23, 381);
    toolGroup = new QButtonGroup(ToolBar1);
    toolGroup->setExclusive(true);

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
        QObject::connect(action, &QAction::changed, button, [button, action] { button->setVisible(action->isVisible()); });
        return button;
    };
    const auto toolButton = [&](const char* name, int glyph, const QString& hint) {
        auto* button = new QToolButton(ToolBar1);
        button->setCheckable(true);
        button->setIcon(glyphIcon(glyph));
        applyHint(button, hint, true);
        place(button, name);
        toolGroup->addButton(button);
        return button;
    };

    commandButton("ToolButton1", a.ActNew);
    commandButton("ToolButton2", a.ActOpen);
    commandButton("ToolButton3", a.ActSave);
    commandButton("ToolButton4", a.ActPrint);
    commandButton("ToolButton5", a.ActUndo);
    Pen1 = toolButton("Pen1", 10, QStringLiteral("ペン|ペン描画状態にします。"));
    Line1 = toolButton("Line1", 8, QStringLiteral("線|線描画状態にします。"));
    Ellipse1 = toolButton("Ellipse1", 6, QStringLiteral("楕円|楕円描画状態にします。"));
    Rect1 = toolButton("Rect1", 11, QStringLiteral("四角|四角描画状態にします。"));
    RRect1 = toolButton("RRect1", 20, QStringLiteral("角丸四角|角丸四角描画状態にします。"));
    Spoide1 = toolButton("Spoide1", 13, QStringLiteral("色の抽出|画像から色を抽出します"));
    Paint1 = toolButton("Paint1", 9, QStringLiteral("塗潰し|選択されている色で塗潰します。"));
    commandButton("Kaiten90", a.Act90);
    commandButton("HantenLR1", a.ActHantenRL);
    commandButton("HantenTB1", a.ActHantenTB);
    commandButton("Size1", a.ActSize);
    // Follows its command, which is never visible.
    commandButton("ToolButton6", a.ActMakeCursor);
    Pen1->setChecked(true);
}

void MainWindowUi::buildSidePanel(QWidget* parent, const ActionList& a, Canvas& canvas)
{
    Panel2 = new BevelPanel(parent);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(23, 9, 76, 381);

    Panel3 = new BevelPanel(Panel2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(2, 2, 72, 72);
    Panel3->setContextMenuPolicy(Qt::PreventContextMenu);
    Im2 = new PixelView(&canvas.actualSize(), Panel3);
    Im2->setObjectName(QStringLiteral("Im2"));
    applyHint(Im2, QStringLiteral("実寸大|実際の寸法で描画しています。"), true);

    {
        const DefaultFontScope windowFont(Panel2->font());
        sizeBox = makeReadOnlyBox(Panel2, "size", QRect(8, 80, 60, 21));
        LColor = makeReadOnlyBox(Panel2, "LColor", QRect(9, 110, 25, 23));
        RColor = makeReadOnlyBox(Panel2, "RColor", QRect(40, 110, 25, 23));
    }
    sizeBox->setFont(uiFont(13, true));
    applyHint(sizeBox, QStringLiteral("サイズ|キャンバス・サイズを表示・・・　クリックでバックパネル色を変更できます"), true);
    applyHint(LColor, QStringLiteral("選択色|現在のペンの色（左ボタン）です。"), true);
    applyHint(RColor, QStringLiteral("選択色|現在のペンの色（右ボタン）です。"), true);

    ColorGrid1 = new TColorGrid(Panel2);
    ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
    ColorGrid1->setGeometry(8, 140, 60, 200);
    ColorGrid1->setFont(uiFont(12, false));
    ColorGrid1->setContextMenuPolicy(Qt::PreventContextMenu);
    applyHint(ColorGrid1, QStringLiteral("ペンの色|ペンの色を選択できます。"), false);

    Button1 = new QPushButton(a.ActExit->text(), Panel2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 352, 60, 24);
    Button1->setFont(uiFont(12, false));
    Button1->setStatusTip(a.ActExit->statusTip());
    QObject::connect(Button1, &QPushButton::clicked, a.ActExit, &QAction::trigger);
    QAction* exit = a.ActExit;
    QPushButton* button = Button1;
    QObject::connect(exit, &QAction::changed, button, [button, exit] { button->setEnabled(exit->isEnabled()); });
}

void MainWindowUi::buildEditingArea(QWidget* parent, Canvas& canvas)
{
    Im1 = new PixelView(&canvas.magnifiedView, parent);
    Im1->setObjectName(QStringLiteral("Im1"));

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
    Im3 = new PixelView(&canvas.andPreview, ANDPanel);
    Im3->setObjectName(QStringLiteral("Im3"));
    applyHint(Im3, QStringLiteral("AND|AND Mask を表示しています。"), true);
    Im4 = new PixelView(&canvas.colorPreview, ORPanel);
    Im4->setObjectName(QStringLiteral("Im4"));
    applyHint(Im4, QStringLiteral("OR|OR Mask を表示しています。"), true);
    Im5 = new PixelView(&canvas.resultPreview, IMPanel);
    Im5->setObjectName(QStringLiteral("Im5"));
    applyHint(Im5, QStringLiteral("Image|実際の表示状態です。（ Icon として保存した場合 ）"), true);
    ANDLabel = makeCaptionLabel(MaskPanel, "ANDLabel", QStringLiteral("AND"), 8, 44, uiFont(12, true));
    ORLabel = makeCaptionLabel(MaskPanel, "ORLabel", QStringLiteral(" OR"), 78, 44, uiFont(12, true));
    IMLabel = makeCaptionLabel(MaskPanel, "IMLabel", QStringLiteral("Image"), 146, 44, uiFont(12, true));
    PlusLabel = makeCaptionLabel(MaskPanel, "PlusLabel", QStringLiteral("+"), 47, 7, uiFont(27, true));
    IcuLabel = makeCaptionLabel(MaskPanel, "IcuLabel", QStringLiteral("="), 117, 7, uiFont(27, true));
}

} // namespace pimoko
