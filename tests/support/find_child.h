#pragma once

#include <QWidget>
#include <QtGlobal>

// The child of `root` with the object name `name`; a test that asks for a
// child the window does not have stops at once, naming it.
template <typename T = QWidget>
T* findNamedChild(const QObject* root, const char* name)
{
    T* child = root->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child named %s", name);
    return child;
}
