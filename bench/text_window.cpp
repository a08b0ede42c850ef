// A second floor for start-up: the empty window with one line of Japanese
// text, which brings in what any window with text pays (the font database
// and a Japanese font), and nothing of ours.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "platform/exit_when_shown.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(505, 433);
    window.setWindowTitle(QStringLiteral("text"));
    auto* label = new QLabel(QStringLiteral("終了(&X)"), &window);
    label->move(10, 10);
    quitWhenExposed(&window);
    window.show();
    return app.exec();
}
