#include "app/pimo_form.h"

#include "app/about_box.h"
#include "app/action_list.h"
#include "app/glyph_list.h"
#include "app/hints.h"
#include "document/document_commands.h"
#include "document/recovery_keeper.h"
#include "editor/color_panel.h"
#include "files/model/file_names.h"
#include "platform/cursor_loader.h"
#include "platform/dialogs.h"
#include "platform/fixed_size_window.h"
#include "platform/interface_font.h"
#include "platform/status_panels.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QWindow>

namespace pimoko {

TPimoForm1::TPimoForm1(QStringList filesToOpen)
    : TPimoForm1(std::make_unique<QtDialogs>(), std::move(filesToOpen))
{
}

TPimoForm1::TPimoForm1(std::unique_ptr<Dialogs> dialogs, QStringList filesToOpen)
    : filesToOpen_(std::move(filesToOpen))
    , dialogs_(std::move(dialogs))
{
    setObjectName(QStringLiteral("PimoForm1"));
    setWindowIcon(QIcon(programPicture()));
    // Fixed size: a system menu and a minimise box, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    keepWindowNormal(this);
    setFont(uiFont(15, false));
    ActionList1 = new ActionList(this);
    ui_.setupUi(this, *ActionList1, canvas_);
    colorPanel_ = new ColorPanel(ui_.LColor, ui_.RColor, ui_.ColorGrid1, this);
    connectEditingView();
    files_ = new DocumentCommands(canvas_, *dialogs_, this);
    recovery_ = new RecoveryKeeper(canvas_, *files_, *dialogs_, this);
    connect(recovery_, &RecoveryKeeper::cannotKeepCopies, this, [this](const QString& text) { ui_.StatusBar1->setLastingText(0, text); });
    canvas_.documentChanged = std::bind_front(&TPimoForm1::documentChanged, this);
    for (QAbstractButton* button : ui_.toolGroup->buttons())
        connect(button, &QAbstractButton::clicked, this, &TPimoForm1::Ellipse1Click);
    // A click on the size box changes the back-panel colour.
    ui_.sizeBox->installEventFilter(this);
    connectCommands();
    // The session ending asks about unsaved changes like the close box.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (manager.allowsInteraction() && !FormCloseQuery())
            manager.cancel();
    });
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
    canvas_.documentChanged = nullptr;
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

void TPimoForm1::FormCreate()
{
    loadToolCursors();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        screenDpiY_ = int(screen->logicalDotsPerInchY());
    FHotSpotX = 0;
    FHotSpotY = 0;
    colorPanel_->setColors(PenColors{StartValues::LeftColor, StartValues::RightColor});
    canvas_.settings.BackPanelColor = StartValues::BackPanelColor;
    ApplyBackPanelColor();
    for (QAction* action : {ActionList1->ActNew, ActionList1->ActOpen, ActionList1->ActSave, ActionList1->ActPrint})
        action->setEnabled(true);
    for (QAbstractButton* button : ui_.toolGroup->buttons())
        button->setEnabled(true);
    canvas_.document().startNew(PixelBuffer(StartValues::ImageSide, StartValues::ImageSide, StartValues::ImageColor));
    setAcceptDrops(true);
}

void TPimoForm1::loadToolCursors()
{
    const auto load = [&](int slot, const char* file) {
        cursorSlots_.at(std::size_t(slot)) = loadCursorFile(findToolCursorFile(QString::fromLatin1(file)));
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
        // FormShow waits for the window to be on the screen, so that the
        // questions and messages of the files it opens stand in front of it.
        windowHandle()->installEventFilter(this);
    }
}

void TPimoForm1::FormShow()
{
    // Drawings left by editors that ended suddenly are offered first, then
    // the files named on the command line are opened, first to last.
    recovery_->offerLeftCopies();
    for (const QString& fileName : std::as_const(filesToOpen_))
        OpenImageFile(fileName);
    ui_.Button1->setFocus();
}

bool TPimoForm1::FormCloseQuery()
{
    return files_->settleUnsavedChanges();
}

void TPimoForm1::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TPimoForm1::showCaptionFor(const std::string& fileName)
{
    setWindowTitle(QString::fromStdString(captionFor(fileName)));
}

void TPimoForm1::ActAboutExecute()
{
    if (!AboutBox)
        AboutBox = new TAboutBox(this);
    // Already open, even behind the main window: left where it is.
    if (AboutBox->isVisible())
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        AboutBox->move(screen->availableGeometry().center() - AboutBox->rect().center());
    AboutBox->show();
    AboutBox->raise();
    AboutBox->activateWindow();
}


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
    if (event->type() == QEvent::KeyPress && ui_.Button1 && ui_.Button1->hasFocus()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ui_.Button1->click();
            return true;
        }
    }
    return QMainWindow::event(event);
}

void TPimoForm1::ApplicationEvents1Hint(const QString& hint)
{
    ui_.StatusBar1->setText(0, hint);
}

QString TPimoForm1::statusText(int panel) const
{
    return ui_.StatusBar1->text(panel);
}

bool TPimoForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        // After the window has painted itself for this first exposure.
        QMetaObject::invokeMethod(this, &TPimoForm1::FormShow, Qt::QueuedConnection);
    }
    if (watched == ui_.sizeBox && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && ui_.sizeBox->rect().contains(mouse->position().toPoint()))
            ActBCExecute();
    }
    return QMainWindow::eventFilter(watched, event);
}

Color TPimoForm1::leftColor() const { return colorPanel_->colors().left; }
Color TPimoForm1::rightColor() const { return colorPanel_->colors().right; }
void TPimoForm1::setLeftColor(Color c) { colorPanel_->setLeftColor(c); }

void TPimoForm1::ColorGrid1MouseDown(Qt::MouseButton button) { colorPanel_->takePaletteColor(button); }
void TPimoForm1::ColorGrid1MouseUp(Qt::MouseButton button) { colorPanel_->takePaletteColor(button); }

} // namespace pimoko
