#include "platform/window_system_start.h"
#include "support/program_run.h"

#include <QFile>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <unistd.h>

using namespace pimoko;

namespace {

Q_LOGGING_CATEGORY(lcStartTest, "pimoko.start.test")

// What reached the handler in place before the start: category and text.
QStringList& received()
{
    static QStringList messages;
    return messages;
}

void recordMessage(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    received().append(QString::fromLatin1(context.category) + ": " + text);
}

} // namespace

// Qt's messages while the window system starts: held back, then passed on
// whole to the handler that was in place, Qt's own included. A failing
// start ends the program, so it is run as a process.
class WindowSystemStartTest : public QObject {
    Q_OBJECT
private slots:
    // The display line only for a display that cannot be reached. With one
    // that answers (an Xvfb of its own) and an X plugin whose library cannot
    // load (a copy needing a library that is not there), Qt's own words.
    void failedStartSaysWhy_data()
    {
        QTest::addColumn<bool>("displayAnswers");
        QTest::addColumn<QString>("said");
        QTest::newRow("X server not there")
            << false
            << "pimoko: no display to open the window on (cannot reach DISPLAY=:97); --convert and --list work "
               "without one\n";
        QTest::newRow("X plugin's library cannot load")
            << true
            << "qt.qpa.plugin: Could not load the Qt platform plugin \"xcb\" in \"\" even though it was found.\n"
               "This application failed to start because no Qt platform plugin could be initialized. Reinstalling "
               "the application may fix this problem.\n\nAvailable platform plugins are: ";
    }

    void failedStartSaysWhy()
    {
        QFETCH(bool, displayAnswers);
        QFETCH(QString, said);
        QTemporaryDir work;
        QString display = QStringLiteral(":97");
        QProcess xvfb;
        const auto stopXvfb = qScopeGuard([&] {
            xvfb.terminate();
            xvfb.waitForFinished();
        });
        if (displayAnswers) {
            // Xvfb takes the first free display and says which once it is ready.
            xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
            QVERIFY2(xvfb.waitForReadyRead(10000), "cannot start Xvfb (is the xvfb package installed?)");
            display = ':' + QString::fromLatin1(xvfb.readAllStandardOutput()).trimmed();
            QFile real(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqxcb.so");
            QVERIFY(real.open(QIODevice::ReadOnly));
            QByteArray plugin = real.readAll();
            const QByteArray needed("libQt6XcbQpa.so.6\0", 18);
            QVERIFY(plugin.contains(needed));
            plugin.replace(needed, QByteArray("libQt6XcbQpX.so.6\0", 18));
            QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("platforms"))));
            QFile copy(work.filePath(QStringLiteral("platforms/libqxcb.so")));
            QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(plugin) == plugin.size());
        } else {
            QVERIFY2(!QFile::exists(QStringLiteral("/tmp/.X11-unix/X97")), "an X server on :97");
        }
        const ProgramRun run = runProgram({}, [&](QProcess& process) {
            QProcessEnvironment variables = process.processEnvironment();
            variables.insert(QStringLiteral("DISPLAY"), display);
            variables.insert(QStringLiteral("QT_PLUGIN_PATH"), work.path());
            variables.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.path());
            variables.insert(QStringLiteral("XDG_STATE_HOME"), work.path());
            variables.insert(QStringLiteral("PIMOKO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
            process.setProcessEnvironment(variables);
        });
        QCOMPARE(run.err.left(said.size()), said);
        QCOMPARE(run.status, 1);
    }

    // Which failures displays out of reach explain; the others are told in
    // Qt's words.
    void failureJudgedFromWhatQtSaid_data()
    {
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QString>("fatal");
        QTest::addColumn<bool>("displaySet");  // DISPLAY; WAYLAND_DISPLAY where false
        QTest::addColumn<bool>("forWantOfDisplay");
        const QString giveUp = "Could not load the Qt platform plugin \"%1\" in \"\" even though it was found.";
        const QString notFound = "Could not find the Qt platform plugin \"%1\" in \"\"";
        const QString noPlugin = "This application failed to start because no Qt platform plugin could be initialized.";
        QTest::newRow("X plugin's library, then no compositor")
            << QStringList{giveUp.arg("xcb"), "Failed to create wl_display (No such file or directory)",
                           giveUp.arg("wayland")}
            << noPlugin << true << false;
        QTest::newRow("another failure after no X server")
            << QStringList{"could not connect to display :97", giveUp.arg("xcb")} << "Cannot mix incompatible Qt library"
            << true << false;
        QTest::newRow("X plugin not installed, DISPLAY set") << QStringList{notFound.arg("xcb")} << noPlugin << true
                                                             << false;
        QTest::newRow("Wayland plugin not installed, WAYLAND_DISPLAY set") << QStringList{notFound.arg("wayland")}
                                                                          << noPlugin << false << false;
        QTest::newRow("Wayland plugin not installed, none named, no X server")
            << QStringList{notFound.arg("wayland"), "could not connect to display :97", giveUp.arg("xcb")} << noPlugin
            << true << true;
    }

    void failureJudgedFromWhatQtSaid()
    {
        QFETCH(QStringList, said);
        QFETCH(QString, fatal);
        QFETCH(bool, displaySet);
        QFETCH(bool, forWantOfDisplay);
        QCOMPARE(startFailedForWantOfDisplay(said, fatal, displaySet, !displaySet), forWantOfDisplay);
    }

    void messagesOfAStartThatSucceedsGoOn_data()
    {
        QTest::addColumn<bool>("finishedByHand");
        QTest::newRow("finished") << true;
        QTest::newRow("left at the end of its scope") << false;
    }

    void messagesOfAStartThatSucceedsGoOn()
    {
        QFETCH(bool, finishedByHand);
        received().clear();
        const QtMessageHandler before = qInstallMessageHandler(recordMessage);
        {
            WindowSystemStart start("pimoko: not said");
            qWarning("could not connect to display :97");
            qCWarning(lcStartTest) << "plugin" << 2 << "tried";
            QVERIFY(received().isEmpty());
            if (finishedByHand) {
                start.finish();
                start.finish();
            }
        }
        qInfo("after the start");
        QCOMPARE(received(), (QStringList{"default: could not connect to display :97",
                                          "pimoko.start.test: plugin 2 tried", "default: after the start"}));
        // The handler in place before is in place again.
        QVERIFY(qInstallMessageHandler(before) == recordMessage);
    }

    // Without a handler of the program's own, as in the program: Qt's
    // format on standard error.
    void messagesGoOnToStandardErrorInQtsFormat()
    {
        QTemporaryFile said;
        QVERIFY(said.open());
        const int standardError = ::dup(STDERR_FILENO);
        ::dup2(said.handle(), STDERR_FILENO);
        const QtMessageHandler before = qInstallMessageHandler(nullptr);
        {
            WindowSystemStart start("pimoko: not said");
            qWarning("could not connect to display :97");
            qCWarning(lcStartTest) << "plugin" << 2 << "tried";
        }
        qInstallMessageHandler(before);
        ::dup2(standardError, STDERR_FILENO);
        ::close(standardError);
        QFile file(said.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("could not connect to display :97\npimoko.start.test: plugin 2 tried\n"));
    }
};

QTEST_GUILESS_MAIN(WindowSystemStartTest)
#include "tst_window_system_start.moc"
