#pragma once

#include <QObject>

class QAction;

namespace pimoko {

// Every user command of the main window as one action carrying its caption,
// hint, shortcut and glyph. Menus and toolbar buttons show these actions, so
// they follow each command's enabled and visible state.
class ActionList : public QObject {
    Q_OBJECT
public:
    explicit ActionList(QObject* parent);

    QAction* ActNew;
    QAction* ActOpen;
    QAction* ActSave;
    QAction* ActSaveAs;
    QAction* ActPrint;
    QAction* ActExit;
    QAction* ActUndo;
    QAction* ActSize;
    QAction* ActBC;
    QAction* ActMakeCursor;
    QAction* Act90;
    QAction* ActHantenRL;
    QAction* ActHantenTB;
    QAction* ActAbout;
};

} // namespace pimoko
