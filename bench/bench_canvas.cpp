// Times the refresh that follows every edit: the model alone at 64 x 64
// (document, magnified view and three previews), and the whole path from a
// finished edit to the repainted window.
#include "app/pimo_form.h"
#include "bench_timing.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace pimoko;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // The windows' recovery copies go to a folder of this run.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());

    Canvas canvas;
    canvas.settings.maskPanelVisible = true;
    canvas.ResetCanvas(64, 64, kBlack, kWhite);
    for (int i = 0; i < 64; ++i)
        canvas.document().strokePixels().setPixel(i, i, 0x0000FF);
    report("RefreshAfterEdit, model, 64 x 64 with previews", medianMicroseconds(2000, [&] { canvas.rebuildViews(); }));

    TPimoForm1 form;
    form.ActSize4Execute();
    form.show();
    QApplication::processEvents();
    report("RefreshAfterEdit + window repaint, 64 x 64", medianMicroseconds(300, [&] {
               form.RefreshAfterEdit();
               QApplication::processEvents();
           }));
    report("RefreshAfterEdit + full window repaint, 64 x 64", medianMicroseconds(300, [&] {
               form.RefreshAfterEdit();
               form.repaint();
           }));

    form.ActSize3Execute();
    QApplication::processEvents();
    report("RefreshAfterEdit + window repaint, 32 x 32 with previews", medianMicroseconds(300, [&] {
               form.RefreshAfterEdit();
               QApplication::processEvents();
           }));
    return 0;
}
