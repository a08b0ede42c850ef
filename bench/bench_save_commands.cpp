// Times the save command as a user runs it: a 64 x 64 drawing saved under
// its ".ico" or ".bmp" name, from the command to the file closed on disk.
#include "app/pimo_form.h"
#include "bench_timing.h"
#include "editor/model/canvas.h"

#include <QApplication>
#include <QTemporaryDir>

#include <random>

using namespace pimoko;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    TPimoForm1 form;
    form.ActSize4Execute();
    std::mt19937 random(64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            form.canvas().document().pixels().setPixel(x, y, Color(random() & 0xFFFFFF));
    form.RefreshAfterEdit();

    for (const char* name : {"drawing.ico", "drawing.bmp"}) {
        form.canvas().document().CurrentFileName = folder.filePath(QString::fromLatin1(name)).toStdString();
        const std::string what = std::string("save command, 64 x 64, to ") + name;
        report(what.c_str(), medianMicroseconds(200, [&] {
                   form.canvas().document().ImageModified = true;
                   form.ActSaveExecute();
               }));
    }
    return form.canvas().document().ImageModified ? 1 : 0;
}
