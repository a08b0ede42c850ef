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
    const QRect area = event->rect() & rect();
    const QImage image = toOpaqueImage(*buffer_, area);
    if (!image.isNull())
        painter.drawImage(area.topLeft(), image);
}

void PixelView::mousePressEvent(QMouseEvent* event) { emit mousePressed(event, false); }
// Qt delivers the second press of a double-click as a double-click event in
// place of a press.
void PixelView::mouseDoubleClickEvent(QMouseEvent* event) { emit mousePressed(event, true); }
void PixelView::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event); }
void PixelView::mouseReleaseEvent(QMouseEvent* event) { emit mouseReleased(event); }

} // namespace pimoko
