#include "platform/caption_label.h"

#include <QLabel>

namespace pimoko {

QLabel* makeCaptionLabel(QWidget* parent, const char* name, const QString& text, int left, int top, const QFont& font,
                         const QColor& color)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    if (color.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace pimoko
