#pragma once

#include "raster/color.h"

#include <QWidget>

class QColor;
class QPainter;
class QRect;

namespace pimoko {

// A one-pixel frame just inside r: the top and left edges in topLeft, the
// bottom and right edges in bottomRight, which also take the top-right and
// bottom-left corners. Filled rectangles, so every pixel is exact.
void paintBevelRing(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight);

// A plain panel in one colour with an optional two-ring bevel, the frame the
// editor's views and back panels sit in. Children are placed by hand.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    enum class Bevel { None, Raised, Lowered };

    explicit BevelPanel(QWidget* parent = nullptr, Bevel outer = Bevel::None, Bevel inner = Bevel::None);

    // The panel's back colour; by default the window colour of the palette.
    void setColor(Color c);
    Color color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel outer_;
    Bevel inner_;
    Color color_;
    bool hasColor_ = false;
};

} // namespace pimoko
