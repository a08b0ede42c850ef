#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Points HOME and the XDG folders at a fresh folder for as long as it
// lives, so that nothing a test does lands in the user's own folders.
class PrivateHome {
public:
    PrivateHome()
    {
        if (!folder_.isValid())
            qFatal("no temporary folder for a private home");
        qputenv("HOME", folder_.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (folder_.path() + "/.config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (folder_.path() + "/.local/share").toLocal8Bit());
        qputenv("XDG_STATE_HOME", (folder_.path() + "/.local/state").toLocal8Bit());
    }
    QString path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};
