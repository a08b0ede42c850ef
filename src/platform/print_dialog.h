#pragma once

#include <QPrintDialog>

namespace pimoko {

// The print dialog: the printer, its own settings (the page size among
// them, behind "Properties") and the number of copies. Nothing about pages
// is left to choose, as the picture is one page: no range, pages, current
// page, selection or page set, no collating or reversing, no print to file.
class PrintDialog1 : public QPrintDialog {
    Q_OBJECT
public:
    explicit PrintDialog1(QPrinter* printer, QWidget* parent = nullptr);

    void setVisible(bool visible) override;
};

} // namespace pimoko
