// The print module: all of the editor's use of Qt's print support, in a
// module the window loads only when the user first prints (see
// platform/printing.h).
#include "document/print_page.h"
#include "platform/print_dialog.h"
#include "platform/printing.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace pimoko {

namespace {

class QtPrinting : public Printing {
public:
    PrintAnswer print(Dialogs& dialogs, QWidget* parent, const PixelBuffer& image, int screenDpiY) override
    {
        QPrinter printer(QPrinter::HighResolution);
        const PrintAnswer answer = dialogs.askToPrint(parent, printer);
        if (answer == PrintAnswer::Print)
            printImage(printer, image, screenDpiY);
        return answer;
    }

    PrintAnswer askToPrint(QWidget* parent, QPrinter& printer) override
    {
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            return PrintAnswer::NoPrinter;
        PrintDialog1 dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted ? PrintAnswer::Print : PrintAnswer::Cancel;
    }
};

} // namespace

} // namespace pimoko

extern "C" __attribute__((visibility("default"))) pimoko::Printing* pimoko_printing()
{
    static pimoko::QtPrinting printing;
    return &printing;
}
