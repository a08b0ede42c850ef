#include "document/print_page.h"

#include "files/codec/file_error.h"
#include "files/model/print_geometry.h"

#include <QColor>
#include <QPainter>
#include <QPrinter>

namespace pimoko {

void printImage(QPrinter& printer, const PixelBuffer& image, int screenDpiY)
{
    QPainter painter;
    if (!painter.begin(&printer))
        throw FileError("デフォルト プリンタが存在しません");
    // Ends the document on every way out, as a failure inside must not
    // leave a job open.
    struct EndDocument {
        QPainter& painter;
        ~EndDocument() { painter.end(); }
    } endDocument{painter};

    const PrintFactors factors = printFactors(printer.logicalDpiX(), printer.logicalDpiY(), screenDpiY);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    for (const PrintBlock& block : printBlocks(image, factors))
        painter.fillRect(block.left, block.top, block.width, block.height,
                         QColor(redOf(block.color), greenOf(block.color), blueOf(block.color)));
}

} // namespace pimoko
