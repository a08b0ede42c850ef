#include "app/glyph_list.h"
#include "app/pimo_form.h"
#include "platform/exit_when_shown.h"
#include "platform/session_state.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ピモコ"));
    QApplication::setWindowIcon(QIcon(pimoko::programPicture()));
    pimoko::keepNoSettingsBetweenRuns();
    pimoko::useJapaneseQtDialogs();

    QStringList files = QApplication::arguments();
    files.removeFirst();
    pimoko::TPimoForm1 PimoForm1(files);
    if (qEnvironmentVariableIsSet("PIMOKO_EXIT_WHEN_SHOWN"))
        quitWhenExposed(&PimoForm1);
    PimoForm1.show();
    return app.exec();
}
