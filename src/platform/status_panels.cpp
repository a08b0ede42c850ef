#include "platform/status_panels.h"

#include <QLabel>

namespace pimoko {

StatusPanels::StatusPanels(std::initializer_list<int> widths, QWidget* parent)
    : QWidget(parent)
{
    int left = 0;
    for (int width : widths) {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        panel->setGeometry(left, 1, width - 2, 18);
        panels_.append(panel);
        left += width;
    }
}

void StatusPanels::setText(int panel, const QString& text)
{
    const QString shown = text.isEmpty() ? lasting_.value(panel) : text;
    if (panel >= 0 && panel < panels_.size() && panels_[panel]->text() != shown)
        panels_[panel]->setText(shown);
}

void StatusPanels::setLastingText(int panel, const QString& text)
{
    lasting_[panel] = text;
    setText(panel, text);
}

QString StatusPanels::text(int panel) const
{
    return panel >= 0 && panel < panels_.size() ? panels_[panel]->text() : QString();
}

} // namespace pimoko
