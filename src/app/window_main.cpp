// The window side of the program, in a module of its own that the program
// loads only when a window is to be opened: the command-line actions never
// load Qt's GUI libraries.
#include "app/glyph_list.h"
#include "app/pimo_form.h"
#include "platform/application_style.h"
#include "platform/exit_when_shown.h"
#include "platform/font_configuration.h"
#include "platform/session_state.h"
#include "platform/window_system_start.h"

#include <QApplication>
#include <QIcon>

#include <cstdlib>

// argc and argv hold the program name and Qt's own options only; files are
// the files to open in turn, as given.
extern "C" __attribute__((visibility("default"))) int pimoko_run_window(int argc, char** argv, int fileCount,
                                                                         const char* const* files)
{
    pimoko::FontConfigurationPreload fontConfiguration;
    // A display that cannot be reached ends the program with one line.
    pimoko::WindowSystemStart windowSystem(pimoko::unreachableDisplayLine(
        pimoko::chosenPlatforms(argc, argv, std::getenv("QT_QPA_PLATFORM")), std::getenv("DISPLAY"),
        std::getenv("WAYLAND_DISPLAY")));
    QApplication app(argc, argv);
    windowSystem.finish();
    fontConfiguration.wait();
    pimoko::useApplicationStyle();
    QApplication::setApplicationName(QStringLiteral("ピモコ"));
    QApplication::setWindowIcon(QIcon(pimoko::programPicture()));
    pimoko::keepNoSettingsBetweenRuns();
    pimoko::useJapaneseQtDialogs();

    QStringList filesToOpen;
    for (int i = 0; i < fileCount; ++i)
        filesToOpen.append(QString::fromLocal8Bit(files[i]));
    pimoko::TPimoForm1 PimoForm1(filesToOpen);
    if (qEnvironmentVariableIsSet("PIMOKO_EXIT_WHEN_SHOWN"))
        quitWhenExposed(&PimoForm1);
    PimoForm1.show();
    return app.exec();
}
