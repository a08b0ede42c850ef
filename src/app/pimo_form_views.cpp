// The main window's views and editing handlers: the way from a press on the
// editing view to the repainted views (the mouse handlers, and the one
// answer to the document's notice), tool selection, the back panel's colour
// and the rescue command.
#include "app/pimo_form.h"

#include "app/action_list.h"
#include "document/recovery_keeper.h"
#include "editor/color_panel.h"
#include "editor/edit_view.h"
#include "editor/pixel_view.h"
#include "platform/bevel_panel.h"
#include "platform/dialogs.h"
#include "platform/pixel_image.h"
#include "platform/status_panels.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace pimoko {

namespace {

void setTextColor(QWidget* widget, Color c)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, toQColor(c));
    palette.setColor(QPalette::Text, toQColor(c));
    widget->setPalette(palette);
}

void centreInParent(QWidget* view)
{
    const QWidget* frame = view->parentWidget();
    view->move(centredOffset(frame->width(), view->width()), centredOffset(frame->height(), view->height()));
}

} // namespace

void TPimoForm1::SelectTool()
{
    struct ToolChoice {
        QToolButton* button;
        ToolCode code;
        int cursorSlot;  // 0: the cross-hair
    };
    const ToolChoice choices[] = {
        {ui_.Pen1, ToolCode::Pen, 3},         {ui_.Rect1, ToolCode::Rectangle, 0},
        {ui_.RRect1, ToolCode::RoundRectangle, 0}, {ui_.Ellipse1, ToolCode::Ellipse, 0},
        {ui_.Line1, ToolCode::Line, 6},       {ui_.Paint1, ToolCode::Fill, 5},
        {ui_.Spoide1, ToolCode::ColorPicker, 4},
    };
    for (const ToolChoice& choice : choices) {
        if (!choice.button->isChecked())
            continue;
        FTool = choice.code;
        if (choice.cursorSlot == 0)
            ui_.Im1->setCursor(Qt::CrossCursor);
        else if (const auto& cursor = cursorSlots_.at(std::size_t(choice.cursorSlot)))
            ui_.Im1->setCursor(*cursor);
        else
            ui_.Im1->setCursor(Qt::ArrowCursor);
        return;
    }
}

void TPimoForm1::Ellipse1Click()
{
    SelectTool();
}

void TPimoForm1::ApplyBackPanelColor()
{
    const Color back = canvas_.settings.BackPanelColor;
    setBoxColor(ui_.sizeBox, back);
    for (BevelPanel* panel : {ui_.Panel1, ui_.MaskPanel, ui_.ANDPanel, ui_.ORPanel, ui_.IMPanel})
        panel->setColor(back);
    QPalette labelPalette = ui_.Label1->palette();
    labelPalette.setColor(QPalette::Window, toQColor(back));
    ui_.Label1->setPalette(labelPalette);

    const Color text = inverted(back);
    for (QWidget* widget : std::initializer_list<QWidget*>{ui_.sizeBox, ui_.Label1, ui_.ANDLabel, ui_.ORLabel,
                                                           ui_.IMLabel, ui_.PlusLabel, ui_.IcuLabel})
        setTextColor(widget, text);
}

void TPimoForm1::connectEditingView()
{
    editInput_ = new EditViewInput(ui_.Im1, {std::bind_front(&TPimoForm1::Im1MouseDown, this),
                                             std::bind_front(&TPimoForm1::Im1MouseMove, this),
                                             std::bind_front(&TPimoForm1::Im1MouseUp, this)});
}

void TPimoForm1::documentChanged(Document::Change change)
{
    using Change = Document::Change;
    // The canvas has rebuilt its buffers already (Canvas::listenToDocument).
    if (Canvas::changesViews(change))
        canvasRebuilt();
    // The caption names the file last opened or saved; a name that changes
    // without a file written or read (a refused save-as) is not shown.
    if (change == Change::New || change == Change::Opened || change == Change::Saved)
        showCaptionFor(canvas_.document().CurrentFileName());
    ActionList1->ActUndo->setEnabled(canvas_.document().rescueHistory().canRescue());
    recovery_->documentChanged(change);
}

void TPimoForm1::canvasRebuilt()
{
    ui_.Im1->syncSize();
    centreInParent(ui_.Im1);
    ui_.Im2->syncSize();
    centreInParent(ui_.Im2);
    const bool masks = canvas_.settings.maskPanelVisible;
    ui_.MaskPanel->setVisible(masks);
    if (masks) {
        for (PixelView* view : {ui_.Im3, ui_.Im4, ui_.Im5}) {
            view->syncSize();
            centreInParent(view);
        }
        ui_.Label1->move(ui_.Im1->x() - 65, ui_.Im1->y() - 5);
    }
    ui_.Label1->setVisible(masks);
    ui_.Im2->show();
    ui_.sizeBox->setText(QString::fromStdString(canvas_.sizeText()));
    SelectTool();
    for (PixelView* view : {ui_.Im1, ui_.Im2, ui_.Im3, ui_.Im4, ui_.Im5})
        view->update();
}

void TPimoForm1::ResetCanvas(Color GridColor, Color BackColor)
{
    canvas_.ResetCanvas(GridColor, BackColor);
}

void TPimoForm1::RefreshAfterEdit()
{
    canvas_.rebuildViews();
    canvasRebuilt();
}

void TPimoForm1::UpdateMaskPreviews()
{
    canvas_.UpdateMaskPreviews();
    for (PixelView* view : {ui_.Im3, ui_.Im4, ui_.Im5})
        view->syncSize();
}

void TPimoForm1::showPixelPosition(Point pixel)
{
    ui_.StatusBar1->setText(1, QString::fromStdString(DrawingTools::statusText(pixel)));
}

// A press and each move of a stroke repaint only Im1 and Im2, which the tool
// drew into. The AND, OR and result previews (Im3, Im4, Im5) wait for the
// release: the tool's mouseUp ends the stroke with the document's
// finishStroke, whose notice rebuilds every buffer (Canvas) and reaches
// documentChanged above, which repaints all five views.
void TPimoForm1::Im1MouseDown(Qt::MouseButton, MouseState state, QPoint point)
{
    PushRescue();
    PenColors colors = colorPanel_->colors();
    showPixelPosition(drawingTools_.mouseDown(canvas_, FTool, state, {point.x(), point.y()}, colors));
    colorPanel_->setColors(colors);
    ui_.Im1->update();
    ui_.Im2->update();
}

void TPimoForm1::Im1MouseMove(MouseState state, QPoint point)
{
    showPixelPosition(drawingTools_.mouseMove(canvas_, FTool, state, {point.x(), point.y()}, colorPanel_->colors()));
    if (state == MouseState::Left || state == MouseState::Right) {
        ui_.Im1->update();
        ui_.Im2->update();
    }
}

void TPimoForm1::Im1MouseUp(Qt::MouseButton, MouseState state, QPoint point)
{
    drawingTools_.mouseUp(canvas_, FTool, state, {point.x(), point.y()}, colorPanel_->colors());
}

void TPimoForm1::ActBCExecute()
{
    const std::optional<Color> chosen = colorPanel_->chooseBackPanelColor(*dialogs_, this);
    if (!chosen)
        return;
    canvas_.settings.BackPanelColor = *chosen;
    ApplyBackPanelColor();
    UpdateMaskPreviews();
}

void TPimoForm1::PushRescue()
{
    canvas_.document().startStroke();
}

void TPimoForm1::ActUndoExecute()
{
    canvas_.document().rescue();
}

} // namespace pimoko
