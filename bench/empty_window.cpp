// The floor for start-up: an empty Qt window of the editor's size that quits
// as soon as it is exposed, just like the editor does under
// PIMOKO_EXIT_WHEN_SHOWN.
#include <QApplication>
#include <QWidget>

#include "platform/exit_when_shown.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(505, 433);
    window.setWindowTitle(QStringLiteral("empty"));
    quitWhenExposed(&window);
    window.show();
    return app.exec();
}
