// The main window's whole-image commands: rotate and mirror, the
// enlarge/reduce dialog, the canvas size commands, and printing.
#include "app/pimo_form.h"

#include "document/print_page.h"
#include "editor/model/start_values.h"
#include "files/codec/file_error.h"
#include "operations/model/stretch.h"
#include "operations/model/transform.h"
#include "operations/ok_bottom_dlg.h"
#include "platform/dialogs.h"
#include "platform/file_error_box.h"
#include "platform/printing.h"

#include <QPushButton>

namespace pimoko {

void TPimoForm1::transformDocument(TransformMode mode)
{
    canvas_.document().transform(TransformImage(canvas_.actualSize(), mode));
}

void TPimoForm1::Act90Execute() { transformDocument(TransformMode::RotateRight); }
void TPimoForm1::ActHantenRLExecute() { transformDocument(TransformMode::MirrorLeftRight); }
void TPimoForm1::ActHantenTBExecute() { transformDocument(TransformMode::MirrorTopBottom); }

void TPimoForm1::ActSizeExecute()
{
    // The modified flag is left alone: edits made before the dialog are
    // still asked about.
    if (!OKBottomDlg) {
        OKBottomDlg = new TOKBottomDlg(this);
        connect(OKBottomDlg, &TOKBottomDlg::sizeChosen, this, &TPimoForm1::applyChosenSize);
    }
    OKBottomDlg->showFor(canvas_.ImageWidth(), canvas_.ImageHeight());
}

void TPimoForm1::applyChosenSize(int side)
{
    // The size command's canvas, holding the stretched image instead of a
    // blank one.
    canvas_.document().stretch(stretchImage(canvas_.actualSize(), side, side));
}

void TPimoForm1::ActPrintExecute()
{
    PrintAnswer answer = PrintAnswer::Cancel;
    const auto print = [&] { answer = printing().print(*dialogs_, this, canvas_.actualSize(), screenDpiY_); };
    if (!reportingFileErrors(*dialogs_, this, print))
        return;
    if (answer == PrintAnswer::NoPrinter) {
        dialogs_->showError(this, QStringLiteral("デフォルト プリンタが存在しません"));
        return;
    }
    ui_.Button1->setFocus();
}

void TPimoForm1::setSize(int side)
{
    canvas_.document().resizeBlank(PixelBuffer(side, side, StartValues::ImageColor));
}

void TPimoForm1::ActSize1Execute() { setSize(16); }
void TPimoForm1::ActSize2Execute() { setSize(20); }
void TPimoForm1::ActSize3Execute() { setSize(32); }
void TPimoForm1::ActSize4Execute() { setSize(64); }

} // namespace pimoko
