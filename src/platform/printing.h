#pragma once

#include "platform/dialogs.h"
#include "raster/pixel_buffer.h"

class QPrinter;
class QWidget;

namespace pimoko {

// Everything that needs Qt's print support, which the window does not load
// at start-up: the program reads it from its print module (pimoko-print.so,
// beside the window module) the first time the user prints. Test programs
// link it in.
class Printing {
public:
    virtual ~Printing() = default;

    // The print command after its checks: a printer at its own resolution,
    // the question through `dialogs`, and on Print the image on one page
    // (files/print_page.h). Returns the answer; throws FileError when the
    // page could not be printed.
    virtual PrintAnswer print(Dialogs& dialogs, QWidget* parent, const PixelBuffer& image, int screenDpiY) = 0;
    // The real print dialog, as Dialogs::askToPrint promises it.
    virtual PrintAnswer askToPrint(QWidget* parent, QPrinter& printer) = 0;
};

// The program's printing, loaded on first use; throws FileError when the
// print module cannot be loaded.
Printing& printing();

} // namespace pimoko
