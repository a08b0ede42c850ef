#include "editor/edit_view.h"

#include "editor/pixel_view.h"

#include <QApplication>
#include <QMouseEvent>

#include <cmath>

namespace pimoko {

EditViewInput::EditViewInput(PixelView* view, Handlers handlers)
    : QObject(view)
    , view_(view)
    , handlers_(std::move(handlers))
{
    view_->setMouseTracking(true);
    // The view's own mouse events, and the moves and releases grabbed by
    // other widgets, pass through here first.
    qApp->installEventFilter(this);
}

EditViewInput::~EditViewInput()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

MouseState EditViewInput::stateOf(const QMouseEvent* event, bool secondOfDoubleClick)
{
    MouseState state;
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

QPoint EditViewInput::pointOf(const QMouseEvent* event)
{
    return {int(std::floor(event->position().x())), int(std::floor(event->position().y()))};
}

bool EditViewInput::seenByView(const QMouseEvent* event) const
{
    return leftButtonCaptured_ || view_->rect().contains(pointOf(event));
}

bool EditViewInput::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (watched == view_ && (press || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)) {
        fromView(static_cast<QMouseEvent*>(event));
        return true;
    }
    if ((type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) && watched->isWidgetType())
        forwardFromElsewhere(watched, static_cast<QMouseEvent*>(event));
    return QObject::eventFilter(watched, event);
}

void EditViewInput::fromView(QMouseEvent* event)
{
    const bool seen = seenByView(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!seen)
            return;
        if (event->button() == Qt::LeftButton)
            leftButtonCaptured_ = true;
        // Qt delivers the second press of a double-click as a double-click
        // event in place of a press.
        handlers_.mouseDown(event->button(), stateOf(event, event->type() == QEvent::MouseButtonDblClick),
                            pointOf(event));
        break;
    case QEvent::MouseMove:
        if (seen)
            handlers_.mouseMove(stateOf(event), pointOf(event));
        break;
    default:
        if (event->button() == Qt::LeftButton)
            leftButtonCaptured_ = false;
        if (seen)
            handlers_.mouseUp(event->button(), stateOf(event), pointOf(event));
        break;
    }
}

void EditViewInput::forwardFromElsewhere(QObject* receiver, QMouseEvent* event)
{
    const auto* widget = static_cast<QWidget*>(receiver);
    if (widget->window() != view_->window() || !view_->isVisible())
        return;
    const bool rightMove = event->type() == QEvent::MouseMove && event->buttons() == Qt::RightButton;
    const bool rightRelease = event->type() == QEvent::MouseButtonRelease && event->button() == Qt::RightButton
        && !(event->buttons() & Qt::LeftButton);
    if (!rightMove && !rightRelease)
        return;
    // Qt offers an ignored event to each parent in turn, as a copy.
    if (event->timestamp() == lastForwardedTime_ && event->globalPosition() == lastForwardedPosition_
        && event->timestamp() != 0)
        return;
    const QPointF local = view_->mapFromGlobal(event->globalPosition());
    const QPoint point(int(std::floor(local.x())), int(std::floor(local.y())));
    if (!view_->rect().contains(point))
        return;
    lastForwardedTime_ = event->timestamp();
    lastForwardedPosition_ = event->globalPosition();
    QMouseEvent atView(event->type(), local, event->globalPosition(), event->button(), event->buttons(),
                       event->modifiers());
    if (rightMove)
        handlers_.mouseMove(stateOf(&atView), point);
    else
        handlers_.mouseUp(Qt::RightButton, stateOf(&atView), point);
}

} // namespace pimoko
