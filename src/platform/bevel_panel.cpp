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

void paintBevelRing(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
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
        paintBevelRing(painter, ring, topLeft, bottomRight);
        ring.adjust(1, 1, -1, -1);
    };
    drawRing(outer_);
    drawRing(inner_);
}

} // namespace pimoko
