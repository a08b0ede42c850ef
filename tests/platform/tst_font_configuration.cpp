#include "platform/font_configuration.h"

#include <QTest>

#include <cerrno>
#include <clocale>
#include <langinfo.h>
#include <string>
#include <system_error>
#include <thread>

using namespace pimoko;

namespace {

std::thread startNormally(std::function<void()> work) { return std::thread(std::move(work)); }

// What pthread_create says when the system has no thread to give.
std::thread failToStart(std::function<void()>) { throw std::system_error(EAGAIN, std::generic_category()); }

} // namespace

// The font configuration read ahead while the application starts: on a
// thread of its own, in the C locale whatever the program's, and never a
// reason to stop when no thread can be started.
class FontConfigurationTest : public QObject {
    Q_OBJECT
private slots:
    void readsOnItsOwnThreadInTheCLocale_data()
    {
        QTest::addColumn<bool>("threadStarts");
        QTest::addColumn<bool>("waitedFor");
        QTest::newRow("thread started, waited for") << true << true;
        QTest::newRow("thread started, left to its end") << true << false;
        QTest::newRow("no thread to be had") << false << true;
    }

    void readsOnItsOwnThreadInTheCLocale()
    {
        QFETCH(bool, threadStarts);
        QFETCH(bool, waitedFor);
        // The program's locale as QApplication leaves it on a UTF-8 system.
        QVERIFY(std::setlocale(LC_ALL, "C.UTF-8"));
        bool read = false;
        std::thread::id reader;
        std::string codeset;
        {
            FontConfigurationPreload preload(
                [&] {
                    read = true;
                    reader = std::this_thread::get_id();
                    codeset = nl_langinfo(CODESET);
                },
                threadStarts ? startNormally : failToStart);
            if (waitedFor) {
                preload.wait();
                preload.wait();
            }
        }
        QCOMPARE(read, threadStarts);
        if (threadStarts) {
            QVERIFY(reader != std::this_thread::get_id());
            QCOMPARE(QString::fromStdString(codeset), QStringLiteral("ANSI_X3.4-1968"));
        }
        // The program's own locale is left as it was.
        QCOMPARE(QString::fromLatin1(nl_langinfo(CODESET)), QStringLiteral("UTF-8"));
    }
};

QTEST_GUILESS_MAIN(FontConfigurationTest)
#include "tst_font_configuration.moc"
