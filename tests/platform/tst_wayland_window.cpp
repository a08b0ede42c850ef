// The editor's fixed-size window on a Wayland compositor of its own: a
// headless weston, with Debian's Qt Wayland plugin. Asked to maximise (as
// the title bar's button asks), or made full-screen, the window stays at its
// size in the normal state and goes on painting; weston ends a client whose
// frame does not fill the maximised state it acknowledged.
#include "app/pimo_form.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pimoko;

// Under the leak checker: what Qt's Wayland plugin leaves behind at its end
// (the compositor's globals it never releases) is Qt's, and the sanitizer
// runtime's own cache for Qt's types is its own. Full stacks name them.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libQt6WaylandClient.so\nleak:libubsan.so\n";
}
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

namespace {

// A headless weston on a socket of its own, in a runtime folder of its own
// that is gone as soon as the test has connected: nothing is left behind,
// however the test ends (a protocol error ends it at once).
class HeadlessWeston {
public:
    bool start()
    {
        char folder[] = "/tmp/pimoko-weston-XXXXXX";
        if (!::mkdtemp(folder))
            return false;
        runtime_ = folder;
        socket_ = "pimoko-test-" + std::to_string(::getpid());
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        const std::string socketOption = "--socket=" + socket_;
        const char* argv[] = {"weston", "--backend=headless-backend.so", socketOption.c_str(), "--no-config",
                              "--idle-time=0", "--width=1024", "--height=768", nullptr};
        int log[2];
        if (::pipe2(log, O_CLOEXEC) != 0)
            return false;
        pid_ = ::fork();
        if (pid_ < 0)
            return false;
        if (pid_ == 0) {
            // Ends with this test; its log goes into a pipe this test reads
            // when something failed.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(log[1], STDOUT_FILENO);
            ::dup2(log[1], STDERR_FILENO);
            ::execvp("weston", const_cast<char**>(argv));
            ::_exit(127);
        }
        ::close(log[1]);
        log_ = log[0];
        ::fcntl(log_, F_SETFL, O_NONBLOCK);
        // Ready once its socket is there.
        const std::string socketPath = runtime_ + '/' + socket_;
        for (int i = 0; i < 200; ++i) {
            struct stat status {};
            if (::stat(socketPath.c_str(), &status) == 0)
                return true;
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = 0;
                return false;
            }
            ::usleep(50'000);
        }
        return false;
    }

    // Once connected, the socket's folder is needed no more.
    void removeFolder()
    {
        if (!runtime_.empty())
            QDir(QString::fromStdString(runtime_)).removeRecursively();
        runtime_.clear();
    }

    void stop()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        removeFolder();
    }

    const std::string& socket() const { return socket_; }

    // What weston has said so far (it writes little).
    QByteArray log() const
    {
        QByteArray said(1 << 16, '\0');
        const ssize_t length = log_ >= 0 ? ::read(log_, said.data(), said.size()) : -1;
        said.resize(length > 0 ? length : 0);
        return said;
    }

private:
    pid_t pid_ = 0;
    int log_ = -1;
    std::string runtime_;
    std::string socket_;
};

// Counts the paint events of the widget it watches.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class WaylandWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        form_ = std::make_unique<TPimoForm1>(std::make_unique<ScriptedDialogs>());
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        normalSize_ = form_->windowHandle()->size();
    }

    void cleanup() { form_.reset(); }

    void runsOnTheCompositor()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    }

    // What the compositor is told: one size only, no maximise button.
    void tellsItCannotBeMaximised()
    {
        QWindow* window = form_->windowHandle();
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->minimumSize(), normalSize_);
        QVERIFY(!(window->flags() & Qt::WindowMaximizeButtonHint));
    }

    void staysNormalWhenAskedToGrow_data()
    {
        QTest::addColumn<QString>("request");
        // Qt's title bar on Wayland toggles the window's maximised state.
        QTest::newRow("the title bar's maximise button") << "button";
        QTest::newRow("the button pressed twice") << "button twice";
        QTest::newRow("maximised by the window itself") << "showMaximized";
        QTest::newRow("made full-screen") << "showFullScreen";
    }

    void staysNormalWhenAskedToGrow()
    {
        QFETCH(QString, request);
        QWindow* window = form_->windowHandle();
        // The window repaints all the while, as while drawing.
        QTimer painter;
        connect(&painter, &QTimer::timeout, form_.get(), [this] { form_->update(); });
        painter.start(1);
        const auto pressButton = [window] { window->setWindowStates(window->windowStates() ^ Qt::WindowMaximized); };
        if (request.startsWith(u"button"))
            pressButton();
        if (request == u"button twice") {
            QTest::qWait(5);
            pressButton();
        }
        if (request == u"showMaximized")
            form_->showMaximized();
        if (request == u"showFullScreen")
            form_->showFullScreen();
        // The compositor answers, and answers again; a frame of the wrong
        // size in between would have ended this program.
        QTest::qWait(1000);
        QCOMPARE(form_->windowState() & ~Qt::WindowActive, Qt::WindowNoState);
        QCOMPARE(window->windowStates() & ~Qt::WindowActive, Qt::WindowNoState);
        QCOMPARE(window->size(), normalSize_);
        QVERIFY(form_->updatesEnabled());
        // And it paints again.
        PaintCounter paints;
        form_->installEventFilter(&paints);
        form_->update();
        QTRY_VERIFY(paints.count > 0);
    }

private:
    std::unique_ptr<TPimoForm1> form_;
    QSize normalSize_;
};

int main(int argc, char* argv[])
{
    HeadlessWeston weston;
    if (!weston.start()) {
        std::fprintf(stderr, "cannot start a headless weston (is the weston package installed?)\n%s\n",
                     weston.log().constData());
        weston.stop();
        return 1;
    }
    ::setenv("WAYLAND_DISPLAY", weston.socket().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "wayland", 1);
    ::unsetenv("DISPLAY");
    int status;
    {
        QApplication app(argc, argv);
        weston.removeFolder();
        WaylandWindowTest test;
        status = QTest::qExec(&test, argc, argv);
    }
    if (status != 0)
        std::fprintf(stderr, "weston's log:\n%s\n", weston.log().constData());
    weston.stop();
    return status;
}

#include "tst_wayland_window.moc"
