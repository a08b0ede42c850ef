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

// Taken here, so that nothing passes on to the panels behind.
void PixelView::mousePressEvent(QMouseEvent*) {}
void PixelView::mouseDoubleClickEvent(QMouseEvent*) {}
void PixelView::mouseMoveEvent(QMouseEvent*) {}
void PixelView::mouseReleaseEvent(QMouseEvent*) {}

} // namespace pimoko
