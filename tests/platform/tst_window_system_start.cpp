#include "platform/window_system_start.h"

#include <QLoggingCategory>
#include <QStringList>
#include <QTest>

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
// whole to the handler that was in place. (The failing start, which ends
// the program, is run as a process by the command-line test.)
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
};

QTEST_GUILESS_MAIN(WindowSystemStartTest)
#include "tst_window_system_start.moc"
