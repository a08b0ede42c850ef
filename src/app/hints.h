#pragma once

#include <QString>

class QAction;
class QWidget;

namespace pimoko {

// A hint is "short|long": the short part shows as a tooltip, the long part
// in the status bar. A hint without "|" is both.
QString shortHint(const QString& hint);
QString longHint(const QString& hint);

// Gives a control its hint; the tooltip only where `withTooltip` is set.
void applyHint(QWidget* widget, const QString& hint, bool withTooltip);
void applyHint(QAction* action, const QString& hint);

} // namespace pimoko
