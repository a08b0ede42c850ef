#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace pimoko {

// A label placed at (left, top) that sizes itself to its text, like an
// auto-sized caption, in `font` and, when valid, the text colour `color`.
QLabel* makeCaptionLabel(QWidget* parent, const char* name, const QString& text, int left, int top, const QFont& font,
                         const QColor& color = QColor());

} // namespace pimoko
