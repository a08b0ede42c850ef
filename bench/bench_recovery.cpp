// Times the recovery copy of a 64 x 64 drawing: a finished stroke on the
// window, whose notice only starts the copy's timer (the drawing path); off
// that path, what the timer does on the window's thread (the copy's bytes)
// and then on the copy's own thread: the write through the one writer,
// replacing the copy before (the writer syncs a file it replaces), and the
// sync that follows a write within 3 s. The state folder lies beside this
// program, on the disk of the build.
#include "app/pimo_form.h"
#include "bench_timing.h"
#include "files/model/recovery_copy.h"
#include "files/recovery_folder.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <random>

using namespace pimoko;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir state(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("state-XXXXXX")));
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());

    TPimoForm1 form;
    form.ActSize4Execute();
    std::mt19937 random(64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            form.canvas().document().strokePixels().setPixel(x, y, Color(random() & 0xFFFFFF));
    form.show();
    QApplication::processEvents();
    int cell = 0;
    report("finished pen stroke on the window, 64 x 64 (the copy's notice)", medianMicroseconds(300, [&] {
               const QPoint at(6 * (cell % 64) + 3, 6 * (cell / 64 % 64) + 3);
               ++cell;
               form.Im1MouseDown(Qt::LeftButton, MouseState::Left, at);
               form.Im1MouseUp(Qt::LeftButton, {}, at);
               form.repaint();
           }));

    const PixelBuffer& picture = form.canvas().actualSize();
    const std::string name = QDir::home().filePath(QStringLiteral("drawing.bmp")).toStdString();
    report("recovery copy's bytes, 64 x 64 (window thread)", medianMicroseconds(2000, [&] { recoveryCopyBytes(picture, name, 1); }));
    RecoveryFolder folder(state.filePath(QStringLiteral("pimoko")).toStdString());
    folder.writeCopy(recoveryCopyBytes(picture, name, 1));
    report("recovery copy written, replacing the last (copy thread)", medianMicroseconds(200, [&] {
               folder.writeCopy(recoveryCopyBytes(picture, name, 1));
           }));
    report("recovery copy synced (copy thread)", medianMicroseconds(200, [&] { folder.syncCopy(); }));
    return 0;
}
