#include "app/hints.h"

#include <QAction>
#include <QWidget>

namespace pimoko {

QString shortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void applyHint(QWidget* widget, const QString& hint, bool withTooltip)
{
    widget->setStatusTip(longHint(hint));
    widget->setToolTip(withTooltip ? shortHint(hint) : QString());
}

void applyHint(QAction* action, const QString& hint)
{
    action->setStatusTip(longHint(hint));
    action->setToolTip(shortHint(hint));
}

} // namespace pimoko
