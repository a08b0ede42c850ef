#pragma once

#include "editor/model/mouse_state.h"

#include <QObject>
#include <QPoint>

#include <functional>

class QMouseEvent;

namespace pimoko {

class PixelView;

// The mouse plumbing of the magnified editing view: turns Qt's events into
// the editor's press, move and release handlers (the window's Im1MouseDown,
// Im1MouseMove and Im1MouseUp) with view coordinates and a MouseState. It
// reads the view's events before the view does.
//
// Qt keeps sending a pressed widget the mouse events of every button until
// all are released. Here only a left press on the view keeps the mouse for
// it, until that button is released; the right button keeps nothing: while
// it alone is held, moves and a release over the view reach the handlers
// wherever the press happened, and nothing else does.
class EditViewInput : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(Qt::MouseButton, MouseState, QPoint)> mouseDown;
        std::function<void(MouseState, QPoint)> mouseMove;
        std::function<void(Qt::MouseButton, MouseState, QPoint)> mouseUp;
    };

    EditViewInput(PixelView* view, Handlers handlers);
    ~EditViewInput() override;

    // The buttons and modifiers an event reports, as the handlers see them.
    static MouseState stateOf(const QMouseEvent* event, bool secondOfDoubleClick = false);
    // The view pixel under the pointer; positions between pixels belong to
    // the pixel to their upper left.
    static QPoint pointOf(const QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool seenByView(const QMouseEvent* event) const;
    // A press, move or release Qt delivers to the view itself.
    void fromView(QMouseEvent* event);
    // A right-button move or release that Qt hands to another widget of the
    // window, reported to the handlers when it happens over the view.
    void forwardFromElsewhere(QObject* receiver, QMouseEvent* event);

    PixelView* view_;
    Handlers handlers_;
    bool leftButtonCaptured_ = false;
    // Qt passes an ignored event on to the parents; each is forwarded once.
    QPointF lastForwardedPosition_;
    quint64 lastForwardedTime_ = 0;
};

} // namespace pimoko
