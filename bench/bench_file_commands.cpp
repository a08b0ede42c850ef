// Times the file commands as a user runs them: a 64 x 64 drawing saved under
// its ".ico" or ".bmp" name, from the command to the file closed on disk;
// and opening a 64 x 64 bitmap, a multi-image icon file and a program file,
// from the command to the repainted window.
#include "app/pimo_form.h"
#include "bench_timing.h"
#include "editor/model/canvas.h"
#include "files/codec/bmp_writer.h"

#include <QApplication>
#include <QFile>
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

    const QString bitmap = folder.filePath(QStringLiteral("open.bmp"));
    QFile file(bitmap);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const std::vector<std::uint8_t> bytes = writeBitmapFile(form.canvas().Im2());
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    file.close();
    form.show();
    const QString data = QStringLiteral(PIMOKO_BENCH_DATA_DIR);
    const std::pair<const char*, QString> opened[] = {
        {"open command, 64 x 64 bitmap", bitmap},
        {"open command, icon file of three sizes", data + QStringLiteral("/icons/imagemagick_sizes.ico")},
        {"open command, program file (PE32+, PNG member)", data + QStringLiteral("/pe/pe64_icon.exe")},
    };
    for (const auto& [what, path] : opened)
        report(what, medianMicroseconds(200, [&] {
                   form.OpenImageFile(path);
                   form.repaint();
               }));
    return form.canvas().document().ImageModified ? 1 : 0;
}
