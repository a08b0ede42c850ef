// The editor as a user meets it on a Wayland desktop: the program run on a
// weston of the test's own, itself a window of a virtual X screen (so it
// draws frame by frame, as on a real screen), with real input from that X
// server. What weston shows is taken by weston-screenshooter before and
// after a press on the title bar's maximise button; what weston told the
// program in between is in the program's log of its Wayland messages.
#include "support/program_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kPanelHeight = 32;     // weston's own panel, with its clock
constexpr int kTitleBarHeight = 30;  // Qt's title bar, which may set its caption anew

bool sameColor(QRgb a, QRgb b)
{
    return (a & 0xFFFFFF) == (b & 0xFFFFFF);
}

// The rows of pixels that differ below weston's panel, apart from those in
// `allowed`; -1 for other sizes.
int rowsChanged(const QImage& before, const QImage& after, std::pair<int, int> allowed = {0, 0})
{
    if (before.isNull() || before.size() != after.size())
        return -1;
    int changed = 0;
    for (int y = kPanelHeight; y < before.height(); ++y) {
        if (y >= allowed.first && y < allowed.second)
            continue;
        for (int x = 0; x < before.width(); ++x)
            if (!sameColor(before.pixel(x, y), after.pixel(x, y))) {
                ++changed;
                break;
            }
    }
    return changed;
}

// The bounding rectangle of the pixels below weston's panel for which
// `differs` holds.
QRect areaWhere(const QImage& screen, const std::function<bool(int, int)>& differs)
{
    QRect area;
    for (int y = kPanelHeight; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (differs(x, y))
                area |= QRect(x, y, 1, 1);
    return area;
}

// The bounding rectangle of the pixels of one colour below weston's panel.
QRect areaOf(const QImage& screen, QRgb color)
{
    return areaWhere(screen, [&](int x, int y) { return sameColor(screen.pixel(x, y), color); });
}

// Waits up to `ms` for `done`, checking it every 200 ms.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qWait(200);
    }
    return true;
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
    bool editorSaid(const QRegularExpression& message);

    QTemporaryDir runtime_;
    QTemporaryDir home_;
    QProcess xvfb_;
    QProcess weston_;
    QProcess editor_;
    QString editorLog_;  // its Wayland messages not yet looked at
    QString display_;
    QImage desktop_;     // weston's screen before the editor came
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
    // The pointer kept to weston's panel, and the desktop once its shell
    // has drawn it: the window is what differs from it.
    QVERIFY(pointTo({0, 0}));
    QVERIFY(waitFor(
        [this] {
            desktop_ = settledScreen();
            const QRgb first = desktop_.isNull() ? 0 : desktop_.pixel(0, kPanelHeight);
            return !desktop_.isNull() && areaWhere(desktop_, [&](int x, int y) {
                                             return !sameColor(desktop_.pixel(x, y), first);
                                         }).isValid();
        },
        30000));
    QProcessEnvironment editorEnvironment = environment(true);
    editorEnvironment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    editor_.setProcessEnvironment(editorEnvironment);
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
    for (int i = 0; i < 50 && !last.isNull(); ++i) {
        QTest::qWait(200);
        const QImage next = screenshot();
        if (rowsChanged(last, next) == 0)
            return next;
        last = next;
    }
    return {};
}

// Whether the editor has logged a Wayland message matching `message` since
// the last one found; the log up to it is dropped.
bool WaylandRepaintTest::editorSaid(const QRegularExpression& message)
{
    editorLog_ += QString::fromLocal8Bit(editor_.readAllStandardError());
    const QRegularExpressionMatch match = message.match(editorLog_);
    if (match.hasMatch())
        editorLog_.remove(0, match.capturedEnd());
    return match.hasMatch();
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
    // The editor may be slow to show (a loaded machine, a checked build).
    QImage shown;
    QVERIFY2(waitFor(
                 [&] {
                     shown = screenshot();
                     return areaOf(shown, qRgb(0, 128, 0)).width() > 300;
                 },
                 30000),
             "the editor's green editing area never showed");
    shown = settledScreen();
    // The window is what differs from the desktop; its maximise button is
    // the second from the right of its title bar.
    const QRect window = areaWhere(shown, [&](int x, int y) { return !sameColor(shown.pixel(x, y), desktop_.pixel(x, y)); });
    const QRect editing = areaOf(shown, qRgb(0, 128, 0));
    QVERIFY(window.contains(editing) && window.top() + kTitleBarHeight < editing.top());
    const QPoint button(window.right() - 38, window.top() + kTitleBarHeight / 2);
    // The pointer rests in the editing area, where it shows nothing more.
    const QPoint rest = editing.topRight() + QPoint(-20, 100);
    QVERIFY(pointTo(rest));
    const QImage before = settledScreen();
    QVERIFY(pointTo(button));
    QTest::qWait(300);
    editorSaid(QRegularExpression(QStringLiteral("\\z")));  // what it said before the press is dropped
    QVERIFY(run(QStringLiteral("xdotool"), {"click", "1"}, false));
    // weston answers the maximise with the screen's width (maximised or
    // full screen), and the return to the normal state with no size.
    const QRegularExpression wide(QStringLiteral("xdg_toplevel@\\d+\\.configure\\(%1, ").arg(kScreenWidth));
    QVERIFY2(waitFor([&] { return editorSaid(wide); }, 10000), "the press did not maximise the window");
    waitFor([&] { return editorSaid(QRegularExpression(QStringLiteral("xdg_toplevel@\\d+\\.configure\\(0, 0,"))); },
            10000);
    QVERIFY(pointTo(rest));
    QTest::qWait(1000);
    const QImage after = settledScreen();
    QVERIFY(!before.isNull() && !after.isNull());
    // Only the title bar may change.
    const int changed = rowsChanged(before, after, {window.top(), window.top() + kTitleBarHeight});
    QVERIFY2(changed == 0, qPrintable(QStringLiteral("%1 rows changed").arg(changed)));
    QCOMPARE(editor_.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(WaylandRepaintTest)
#include "tst_wayland_repaint.moc"
