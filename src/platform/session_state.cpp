#include "platform/session_state.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>

namespace pimoko {

void keepNoSettingsBetweenRuns()
{
    // Removed with its contents when the program ends.
    static QTemporaryDir runFolder;
    const QString path = runFolder.isValid() ? runFolder.path() : QStringLiteral("/nonexistent");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

void useJapaneseQtDialogs()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace pimoko
