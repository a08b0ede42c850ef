#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

// For start-up measurements: quits the application as soon as `widget`'s
// window is first exposed on the screen, i.e. mapped and ready to draw.
inline void quitWhenExposed(QWidget* widget)
{
    class ExposeWatcher : public QObject {
    public:
        using QObject::QObject;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Expose) {
                auto* window = static_cast<QWindow*>(watched);
                if (window->isExposed())
                    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            }
            return false;
        }
    };
    widget->winId();  // creates the native window so it can be watched
    widget->windowHandle()->installEventFilter(new ExposeWatcher(widget));
}
