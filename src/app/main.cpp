#include "app/pimo_form.h"
#include "platform/exit_when_shown.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ピモコ"));
    // The interface font; where it is not installed, a Japanese proportional
    // Gothic of the system stands in.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});

    QStringList files = QApplication::arguments();
    files.removeFirst();
    pimoko::TPimoForm1 PimoForm1(files);
    if (qEnvironmentVariableIsSet("PIMOKO_EXIT_WHEN_SHOWN"))
        quitWhenExposed(&PimoForm1);
    PimoForm1.show();
    return app.exec();
}
