#include "editor/pixel_view.h"

#include "platform/pixel_image.h"

#include <QMouseEvent>
#include <QPainter>

namespace pimoko {

PixelView::PixelView(const PixelBuffer* buffer, QWidget* parent)
    : QWidget(parent)
    , buffer_(buffer)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    syncSize();
}

void PixelView::syncSize()
{
    const QSize size(buffer_->width(), buffer_->height());
    if (this->size() != size)
        resize(size);
    update();
}

void PixelView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QImage image = wrapAsImage(*buffer_);
    const QRect area = event->rect();
    painter.drawImage(area.topLeft(), image, area);
}

void PixelView::mousePressEvent(QMouseEvent* event) { emit mousePressed(event); }
// The second press of a double-click arrives as its own event kind; it is a
// press like any other, and the event carries what distinguishes it.
void PixelView::mouseDoubleClickEvent(QMouseEvent* event) { emit mousePressed(event); }
void PixelView::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event); }
void PixelView::mouseReleaseEvent(QMouseEvent* event) { emit mouseReleased(event); }

} // namespace pimoko
