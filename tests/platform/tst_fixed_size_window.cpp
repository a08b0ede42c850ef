// A fixed-size window kept out of the maximised and full-screen states, on
// Qt's offscreen platform, which answers every request for a state at once.
// (On a real compositor: tst_wayland_window.)
#include "platform/fixed_size_window.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QWidget>
#include <QWindow>
#include <QtTest>


using namespace pimoko;

namespace {

// Records the states the platform reports to `window`; swallowing them
// plays a compositor that never answers.
class StateReports : public QObject {
public:
    StateReports(QWindow* window, bool swallow)
        : window_(window)
        , swallow_(swallow)
    {
        window->installEventFilter(this);
    }
    QList<Qt::WindowStates> reported;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::WindowStateChange || !event->spontaneous())
            return false;
        reported.append(window_->windowStates() & ~Qt::WindowActive);
        return swallow_;
    }

private:
    QWindow* window_;
    bool swallow_;
};

// The window's states at each of its paint events.
class PaintStates : public QObject {
public:
    explicit PaintStates(QWidget* widget)
        : widget_(widget)
    {
        widget->installEventFilter(this);
    }
    QList<Qt::WindowStates> states;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            states.append(widget_->windowHandle()->windowStates() & ~Qt::WindowActive);
        return false;
    }

private:
    QWidget* widget_;
};

} // namespace

class FixedSizeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void returnsToNormal_data()
    {
        QTest::addColumn<bool>("holdsPainting");
        QTest::addColumn<Qt::WindowState>("request");
        QTest::addColumn<QList<Qt::WindowStates>>("reported");
        const Qt::WindowStates maximised = Qt::WindowMaximized;
        const Qt::WindowStates fullScreen = Qt::WindowFullScreen;
        const Qt::WindowStates normal = Qt::WindowNoState;
        // As on X11: straight back.
        QTest::newRow("maximised") << false << Qt::WindowMaximized << QList{maximised, normal};
        QTest::newRow("full screen") << false << Qt::WindowFullScreen << QList{fullScreen, normal};
        // As on Wayland: back from maximised through full screen.
        QTest::newRow("maximised, painting held") << true << Qt::WindowMaximized
                                                  << QList{maximised, fullScreen, normal};
        QTest::newRow("full screen, painting held") << true << Qt::WindowFullScreen << QList{fullScreen, normal};
    }

    void returnsToNormal()
    {
        QFETCH(bool, holdsPainting);
        QFETCH(Qt::WindowState, request);
        QFETCH(QList<Qt::WindowStates>, reported);
        QWidget window;
        window.setFixedSize(200, 100);
        keepWindowNormal(&window, holdsPainting ? HoldPainting::Always : HoldPainting::OnWayland);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        StateReports reports(window.windowHandle(), false);
        PaintStates paints(&window);
        window.windowHandle()->setWindowStates(request);
        // Held from the request on, where painting is held.
        QCOMPARE(window.updatesEnabled(), !(holdsPainting && request == Qt::WindowMaximized));
        QTRY_COMPARE(reports.reported, reported);
        QCOMPARE(window.windowState(), Qt::WindowNoState);
        QCOMPARE(window.windowHandle()->windowStates(), Qt::WindowNoState);
        QCOMPARE(window.size(), QSize(200, 100));
        QVERIFY(window.updatesEnabled());
        // Held, nothing is painted while maximised, and one frame is
        // painted in full screen before the window leaves it.
        if (holdsPainting) {
            QVERIFY(!paints.states.contains(Qt::WindowMaximized));
            QVERIFY(paints.states.contains(Qt::WindowFullScreen));
        }
    }

    // A request to maximise that is never answered holds painting for a
    // second, then the window paints again, in the normal state.
    void unansweredRequestHoldsPaintingForASecond()
    {
        QWidget window;
        window.setFixedSize(200, 100);
        keepWindowNormal(&window, HoldPainting::Always);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        StateReports reports(window.windowHandle(), true);
        QElapsedTimer clock;
        clock.start();
        window.windowHandle()->setWindowStates(Qt::WindowMaximized);
        QVERIFY(!window.updatesEnabled());
        QTest::qWait(700);
        QVERIFY(!window.updatesEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(window.updatesEnabled(), 2000);
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(window.windowHandle()->windowStates(), Qt::WindowNoState);
    }

};

QTEST_MAIN(FixedSizeWindowTest)
#include "tst_fixed_size_window.moc"
