#include "platform/bevel_panel.h"

#include "platform/pixel_image.h"

#include <QPainter>

namespace pimoko {

BevelPanel::BevelPanel(QWidget* parent, Bevel outer, Bevel inner)
    : QWidget(parent)
    , outer_(outer)
    , inner_(inner)
    , color_(fromQColor(palette().color(QPalette::Window)))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BevelPanel::setColor(Color c)
{
    if (hasColor_ && c == color_)
        return;
    color_ = c;
    hasColor_ = true;
    update();
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), hasColor_ ? toQColor(color_) : palette().color(QPalette::Window));
    QRect ring = rect();
    const auto drawRing = [&](Bevel bevel) {
        if (bevel == Bevel::None)
            return;
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor& topLeft = bevel == Bevel::Raised ? light : dark;
        const QColor& bottomRight = bevel == Bevel::Raised ? dark : light;
        painter.fillRect(ring.left(), ring.top(), ring.width(), 1, topLeft);
        painter.fillRect(ring.left(), ring.top(), 1, ring.height(), topLeft);
        painter.fillRect(ring.left(), ring.bottom(), ring.width(), 1, bottomRight);
        painter.fillRect(ring.right(), ring.top(), 1, ring.height(), bottomRight);
        ring.adjust(1, 1, -1, -1);
    };
    drawRing(outer_);
    drawRing(inner_);
}

} // namespace pimoko
