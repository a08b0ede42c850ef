#include "app/pimo_form.h"
#include "platform/exit_when_shown.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ピモコ"));
    // The interface font; where it is not installed, a Japanese proportional
    // Gothic of the system stands in.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/program_icon.xpm")));

    QStringList files = QApplication::arguments();
    files.removeFirst();
    pimoko::TPimoForm1 PimoForm1(files);
    if (qEnvironmentVariableIsSet("PIMOKO_EXIT_WHEN_SHOWN"))
        quitWhenExposed(&PimoForm1);
    PimoForm1.show();
    // The remaining windows are made once the main window is on its way to
    // the screen; they live hidden until the program ends.
    QTimer::singleShot(0, &PimoForm1, &pimoko::TPimoForm1::createDialogs);
    return app.exec();
}
