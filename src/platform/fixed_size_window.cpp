#include "platform/fixed_size_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace pimoko {

namespace {

// How long painting waits for the answer to a request to maximise.
constexpr int kAnswerWaitMs = 1000;

class NormalStateKeeper : public QObject {
public:
    NormalStateKeeper(QWidget* window, HoldPainting holdPainting)
        : QObject(window)
        , window_(window)
        , holdsPainting_(holdPainting == HoldPainting::Always
                         || QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    {
        answerWait_.setSingleShot(true);
        answerWait_.setInterval(kAnswerWaitMs);
        connect(&answerWait_, &QTimer::timeout, this, [this] {
            hold(false);
            watching_->setWindowStates(watching_->windowStates() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        });
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The native window is made when the window is first shown.
        if (watched == window_ && event->type() == QEvent::Show && !watching_) {
            watching_ = window_->windowHandle();
            watching_->installEventFilter(this);
            // Emitted at once when the window asks for a state (its title
            // bar's maximise button does), before the request goes out.
            connect(watching_, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
                if (state == Qt::WindowMaximized && hold(true))
                    answerWait_.start();
            });
        }
        // The state the window system has put the window in.
        if (watched == watching_ && event->type() == QEvent::WindowStateChange && event->spontaneous()) {
            answerWait_.stop();
            const Qt::WindowStates before = shown_;
            shown_ = watching_->windowStates();
            keepNormal(shown_, before);
        }
        return false;
    }

private:
    void keepNormal(Qt::WindowStates states, Qt::WindowStates before)
    {
        if (states & Qt::WindowMaximized) {
            hold(true);
            watching_->setWindowStates((states & ~Qt::WindowMaximized)
                                       | (holdsPainting_ ? Qt::WindowFullScreen : Qt::WindowNoState));
        } else if (states & Qt::WindowFullScreen) {
            // One frame in this state before asking to leave it: the
            // compositor answers a change from the state last drawn.
            hold(false);
            window_->repaint();
            watching_->setWindowStates(states & ~Qt::WindowFullScreen);
        } else {
            hold(false);
            // Back from a larger state the window draws into a new buffer
            // (on Wayland Qt's title bar returns with it), which holds none
            // of what was painted before: all of it is painted again. An
            // update of the window alone leaves out its opaque panels.
            if (before & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
                window_->update();
                for (QWidget* child : window_->findChildren<QWidget*>())
                    child->update();
            }
        }
    }

    // True when this changed the hold.
    bool hold(bool on)
    {
        if (!holdsPainting_ || holding_ == on)
            return false;
        holding_ = on;
        window_->setUpdatesEnabled(!on);
        return true;
    }

    QWidget* window_;
    QWindow* watching_ = nullptr;
    bool holdsPainting_;
    bool holding_ = false;
    Qt::WindowStates shown_;  // the state the window system put the window in last
    QTimer answerWait_;
};

} // namespace

void keepWindowNormal(QWidget* window, HoldPainting holdPainting)
{
    new NormalStateKeeper(window, holdPainting);
}

} // namespace pimoko
