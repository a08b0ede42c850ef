#include "platform/window_system_start.h"

#include <QFile>
#include <QLoggingCategory>
#include <QStringList>
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
// whole to the handler that was in place, Qt's own included. (The failing
// start, which ends the program, is run as a process by the command-line
// test.)
class WindowSystemStartTest : public QObject {
    Q_OBJECT
private slots:
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
