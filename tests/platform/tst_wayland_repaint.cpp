// The editor as a user meets it on a Wayland desktop: the program run on a
// weston of the test's own, itself a window of a virtual X screen (so it
// draws frame by frame, as on a real screen), with real input from that X
// server. What weston shows is taken by weston-screenshooter before and
// after a press on the title bar's maximise button.
#include "support/program_run.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kPanelHeight = 32;     // weston's own panel, with its clock
constexpr int kTitleTextHeight = 20; // Qt's title bar may set its caption anew

// How many rows of pixels differ below weston's panel; -1 for other sizes.
int rowsChanged(const QImage& before, const QImage& after)
{
    if (before.isNull() || before.size() != after.size())
        return -1;
    int changed = 0;
    for (int y = kPanelHeight; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if ((before.pixel(x, y) & 0xFFFFFF) != (after.pixel(x, y) & 0xFFFFFF)) {
                ++changed;
                break;
            }
    return changed;
}

// The bounding rectangle of the pixels of one colour below weston's panel.
QRect areaOf(const QImage& screen, QRgb color)
{
    QRect area;
    for (int y = kPanelHeight; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if ((screen.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                area |= QRect(x, y, 1, 1);
    return area;
}

} // namespace

class WaylandRepaintTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void drawnWholeAfterTheMaximiseButton();

private:
    bool startWeston();
    QProcessEnvironment environment(bool wayland) const;
    bool run(const QString& tool, const QStringList& arguments, bool wayland);
    bool pointTo(QPoint at);
    QImage screenshot();
    QImage settledScreen();

    QTemporaryDir runtime_;
    QTemporaryDir home_;
    QProcess xvfb_;
    QProcess weston_;
    QProcess editor_;
    QString display_;
};

void WaylandRepaintTest::initTestCase()
{
    QVERIFY(runtime_.isValid() && home_.isValid());
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Xvfb takes the first free display and says which once it is ready.
    xvfb_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY2(xvfb_.waitForReadyRead(10000), "cannot start Xvfb (is the xvfb package installed?)");
    display_ = ':' + QString::fromLatin1(xvfb_.readAllStandardOutput()).trimmed();
    // weston's X11 back end now and then fails to take a fresh screen.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt)
        started = startWeston();
    QVERIFY2(started, qPrintable("cannot start weston: " + weston_.readAllStandardError().right(2000)));
    editor_.setProcessEnvironment(environment(true));
    editor_.start(program(), {});
    QVERIFY(editor_.waitForStarted());
}

void WaylandRepaintTest::cleanupTestCase()
{
    for (QProcess* process : {&editor_, &weston_, &xvfb_}) {
        process->terminate();
        process->waitForFinished(5000);
    }
}

bool WaylandRepaintTest::startWeston()
{
    weston_.kill();
    weston_.waitForFinished();
    QProcessEnvironment westonEnvironment = environment(false);
    westonEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    weston_.setProcessEnvironment(westonEnvironment);
    // Drawn by its default renderer, as for a user, and open to
    // weston-screenshooter (--debug).
    weston_.start(QStringLiteral("weston"), {"--backend=x11-backend.so", "--socket=pimoko-test", "--no-config",
                                             "--idle-time=0", "--width=1024", "--height=768", "--debug"});
    for (int i = 0; i < 100; ++i) {
        if (QFile::exists(runtime_.filePath(QStringLiteral("pimoko-test"))))
            return true;
        if (weston_.waitForFinished(100))
            return false;
    }
    return false;
}

// The X screen alone, or weston's socket with no X at all.
QProcessEnvironment WaylandRepaintTest::environment(bool wayland) const
{
    QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
    result.insert(QStringLiteral("HOME"), home_.path());
    result.remove(QStringLiteral("XDG_DATA_HOME"));
    result.remove(QStringLiteral("XDG_STATE_HOME"));
    if (wayland) {
        result.remove(QStringLiteral("DISPLAY"));
        result.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        result.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("pimoko-test"));
        result.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    } else {
        result.insert(QStringLiteral("DISPLAY"), display_);
        result.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    return result;
}

bool WaylandRepaintTest::run(const QString& tool, const QStringList& arguments, bool wayland)
{
    QProcess process;
    process.setProcessEnvironment(environment(wayland));
    process.setWorkingDirectory(home_.path());
    process.start(tool, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QImage WaylandRepaintTest::screenshot()
{
    if (!run(QStringLiteral("weston-screenshooter"), {}, true))
        return {};
    QDir home(home_.path());
    const QStringList shots = home.entryList({"wayland-screenshot-*.png"});
    QImage shot;
    if (!shots.isEmpty())
        shot.load(home.filePath(shots.first()));
    for (const QString& name : shots)
        home.remove(name);
    return shot;
}

// The screen once it stays the same for a moment (weston fades in at its
// start, and the window draws itself in a few frames).
QImage WaylandRepaintTest::settledScreen()
{
    QImage last = screenshot();
    for (int i = 0; i < 20 && !last.isNull(); ++i) {
        QTest::qWait(200);
        const QImage next = screenshot();
        if (rowsChanged(last, next) == 0)
            return next;
        last = next;
    }
    return {};
}

// weston follows the X pointer by its moves: from the corner on, they add
// up to where it is sent.
bool WaylandRepaintTest::pointTo(QPoint at)
{
    const auto move = [this](QPoint to, bool sync) {
        QStringList arguments{"mousemove", QString::number(to.x()), QString::number(to.y())};
        if (sync)  // waits for the move, which never comes when it is there already
            arguments.insert(1, QStringLiteral("--sync"));
        const bool moved = run(QStringLiteral("xdotool"), arguments, false);
        QTest::qWait(200);
        return moved;
    };
    return move({0, 0}, false) && (at.isNull() || move(at, true));
}

// Qt's title bar leaves the window when it is full-screen and comes back
// after it, with a new buffer: the window must be drawn whole into it, its
// panels too, and look as it did.
void WaylandRepaintTest::drawnWholeAfterTheMaximiseButton()
{
    QVERIFY(pointTo({0, 0}));
    // The button, found from the green editing area's top right corner; the
    // pointer rests in that area, where it shows nothing more.
    const QRect editing = areaOf(settledScreen(), qRgb(0, 128, 0));
    QVERIFY(editing.width() > 300);
    const QPoint button = editing.topRight() + QPoint(-34, -39);
    const QPoint rest = editing.topRight() + QPoint(-20, 100);
    QVERIFY(pointTo(rest));
    const QImage before = settledScreen();
    QVERIFY(pointTo(button));
    QTest::qWait(300);
    QVERIFY(run(QStringLiteral("xdotool"), {"click", "1"}, false));
    QTest::qWait(300);
    QVERIFY(pointTo(rest));
    QTest::qWait(1000);
    const QImage after = settledScreen();
    QVERIFY(!before.isNull() && !after.isNull());
    QVERIFY2(rowsChanged(before, after) <= kTitleTextHeight,
             qPrintable(QStringLiteral("%1 rows changed").arg(rowsChanged(before, after))));
    QCOMPARE(editor_.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(WaylandRepaintTest)
#include "tst_wayland_repaint.moc"
