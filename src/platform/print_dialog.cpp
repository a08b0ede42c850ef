#include "platform/print_dialog.h"

#include <QTabWidget>

namespace pimoko {

PrintDialog1::PrintDialog1(QPrinter* printer, QWidget* parent)
    : QPrintDialog(printer, parent)
{
    setObjectName(QStringLiteral("PrintDialog1"));
    // Without page range, selection, current page, print to file or collate.
    setOptions(QAbstractPrintDialog::PrintShowPageSize);
}

void PrintDialog1::setVisible(bool visible)
{
    // Qt shows its range group again on every showing whenever CUPS could
    // pick pages, whatever the options say; the group goes after that.
    QPrintDialog::setVisible(visible);
    if (!visible)
        return;
    for (const char* name : {"gbPrintRange", "reverse"}) {
        if (auto* control = findChild<QWidget*>(QString::fromLatin1(name)))
            control->hide();
    }
    // The other tab holds double-sided printing and colour, which the
    // printer's own settings offer.
    auto* tabs = findChild<QTabWidget*>(QStringLiteral("tabs"));
    auto* optionsTab = findChild<QWidget*>(QStringLiteral("optionsTab"));
    if (tabs && optionsTab && tabs->indexOf(optionsTab) >= 0)
        tabs->removeTab(tabs->indexOf(optionsTab));
}

} // namespace pimoko
