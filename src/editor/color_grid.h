#pragma once

#include "raster/color.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <array>

class QPainter;

namespace pimoko {

// The 16-colour palette beside the editing area: 2 columns by 8 rows of
// sunken cells, numbered row by row. The left button chooses the cell marked
// "FG", the right button the cell marked "BG"; both marks read "FB" when they
// share a cell. The control is mouse-only: it never takes the keyboard focus
// and opens no context menu.
//
// The owner learns the chosen colours through ForegroundRGB() and
// BackgroundRGB(), typically from its mouseDown/mouseUp slots, which run
// before the control handles the press or release itself.
class TColorGrid : public QWidget {
    Q_OBJECT

public:
    static constexpr int kColumns = 2;
    static constexpr int kRows = 8;
    static constexpr int kCellCount = kColumns * kRows;

    explicit TColorGrid(QWidget* parent = nullptr);

    // The fixed cell colours, in cell order.
    static const std::array<Color, kCellCount>& PaletteColors();

    int ForegroundIndex() const { return foregroundIndex_; }
    int BackgroundIndex() const { return backgroundIndex_; }
    // A new value in 0..15 moves the mark, repaints and emits changed(); the
    // current value or one outside 0..15 is ignored.
    void setForegroundIndex(int index);
    void setBackgroundIndex(int index);

    Color ForegroundRGB() const { return PaletteColors()[std::size_t(foregroundIndex_)]; }
    Color BackgroundRGB() const { return PaletteColors()[std::size_t(backgroundIndex_)]; }

    // Cell size: width div 2 by height div 8 (30 x 25 at 60 x 200), at least 1.
    int cellWidth() const;
    int cellHeight() const;
    // The pixels of cell `index` in widget coordinates; empty outside 0..15.
    QRect cellRect(int index) const;
    // The cell under (x, y); a point outside the control selects the nearest
    // edge cell.
    int CellAt(int x, int y) const;

    // 60 x 200, the size the main window lays the palette out at.
    QSize sizeHint() const override;

signals:
    // Emitted first thing on every press and release the control receives,
    // before it changes an index: the owner reads the colours as they were.
    void mouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                   QPoint pos);
    void mouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                 QPoint pos);
    // ForegroundIndex or BackgroundIndex took a new value.
    void changed();
    // A press with the right button has been released.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct BevelColors {
        QColor face;
        QColor shadow;
        QColor highlight;
    };
    BevelColors bevelColors() const;
    QFont markFont() const;

    // One cell, plain: outline, two-ring sunken bevel, colour fill.
    void PaintCell(QPainter& painter, int index) const;
    // "FG" and "BG" (or "FB" twice) over the cells they mark.
    void PaintMarks(QPainter& painter) const;

    void handlePress(QMouseEvent* event);
    // Moves the mark that the remembered button controls to `index`.
    void followPointer(int index);

    int foregroundIndex_ = 0;
    int backgroundIndex_ = 0;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    bool dragging_ = false;
};

} // namespace pimoko
