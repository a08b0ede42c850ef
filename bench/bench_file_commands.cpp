// Times the file commands as a user runs them: a 64 x 64 drawing saved under
// its ".ico" or ".bmp" name, replacing the file saved before (its bytes and
// the rename synced to the disk), from the command to the repainted window,
// and saved under a new name each time (the new file and its folder entry
// synced as well);
// and opening a 64 x 64 bitmap, a multi-image icon file and a program file,
// from the command to the repainted window; and the whole-image commands,
// a turn and the enlarge/reduce dialog's 64 to 32, to the repainted window.
#include "app/pimo_form.h"
#include "bench_timing.h"
#include "editor/model/canvas.h"
#include "files/codec/bmp_writer.h"
#include "operations/ok_bottom_dlg.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <random>

using namespace pimoko;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The windows' recovery copies go to a folder of this run.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QTemporaryDir folder;
    TPimoForm1 form;
    form.ActSize4Execute();
    std::mt19937 random(64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            form.canvas().document().strokePixels().setPixel(x, y, Color(random() & 0xFFFFFF));
    form.RefreshAfterEdit();
    form.show();

    for (const char* name : {"drawing.ico", "drawing.bmp"}) {
        form.canvas().document().rename(folder.filePath(QString::fromLatin1(name)).toStdString());
        const std::string what = std::string("save command, 64 x 64, to ") + name;
        report(what.c_str(), medianMicroseconds(200, [&] {
                   form.canvas().document().finishStroke();
                   form.ActSaveExecute();
                   form.repaint();
               }));
    }

    int saved = 0;
    report("save command, 64 x 64, to a new .ico file", medianMicroseconds(200, [&] {
               form.canvas().document().rename(
                   folder.filePath(QStringLiteral("new-%1.ico").arg(++saved)).toStdString());
               form.canvas().document().finishStroke();
               form.ActSaveExecute();
               form.repaint();
           }));

    const QString bitmap = folder.filePath(QStringLiteral("open.bmp"));
    QFile file(bitmap);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const std::vector<std::uint8_t> bytes = bitmapFileBytes(form.canvas().actualSize());
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    file.close();
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

    form.OpenImageFile(bitmap);
    report("rotate command, 64 x 64", medianMicroseconds(200, [&] {
               form.Act90Execute();
               form.repaint();
           }));
    form.ActSizeExecute();
    TOKBottomDlg* dialog = form.sizeDialog();
    // Each run starts from a 64 x 64 image with the dialog open; only the
    // OK and the repaint are timed.
    std::vector<double> times;
    for (int run = 0; run < 200; ++run) {
        form.ActSize4Execute();
        form.canvas().document().transform(PixelBuffer(64, 64, 0x123456));
        dialog->showFor(64, 64);
        dialog->RadioGroup1Click(2);
        const auto start = std::chrono::steady_clock::now();
        dialog->OKBtnClick();
        form.repaint();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    report("enlarge/reduce OK, 64 x 64 to 32 x 32", times[times.size() / 2]);
    return 0;
}
