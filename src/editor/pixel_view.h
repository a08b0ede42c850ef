#pragma once

#include "raster/pixel_buffer.h"

#include <QWidget>

namespace pimoko {

// Shows a pixel buffer one to one, without stretching; the widget takes the
// buffer's size whenever syncSize() is called. A press stops at the view, as
// at any control; what it means on the editing view is decided by its mouse
// plumbing (edit_view.h), which reads the events first.
class PixelView : public QWidget {
    Q_OBJECT
public:
    explicit PixelView(const PixelBuffer* buffer, QWidget* parent = nullptr);

    const PixelBuffer* buffer() const { return buffer_; }
    // Resizes the widget to the buffer and schedules a repaint.
    void syncSize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const PixelBuffer* buffer_;
};

} // namespace pimoko
