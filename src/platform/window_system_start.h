#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace pimoko {

// Qt aborts the program when none of the platform plugins asked for can
// reach its display: a DISPLAY naming an X server that is not there, a
// Wayland compositor that is gone. While a WindowSystemStart lives (around
// the QApplication's construction), such a failure ends the program with
// `failureLine` on standard error and exit status 1 instead; Qt's own
// messages meanwhile are held back, dropped on that failure and passed on
// when the start succeeds. Any other fatal failure of the start (a plugin
// whose library cannot load, say) ends it with exit status 1 too, but told
// in Qt's words: the held messages and then the fatal one. One at a time.
class WindowSystemStart {
public:
    explicit WindowSystemStart(std::string failureLine);
    ~WindowSystemStart();
    WindowSystemStart(const WindowSystemStart&) = delete;
    WindowSystemStart& operator=(const WindowSystemStart&) = delete;

    // The start succeeded: the held messages go on, and later ones pass as
    // before. Called again (or by the destructor), does nothing.
    void finish();
};

// Whether Qt's fatal message `fatal` ends a start that failed only because
// no display could be reached, judged by the messages `said` before it:
// every platform plugin Qt found and gave up had said first that it could
// not connect, and a plugin it did not find names a window system that is
// not there. A plugin given up without such a word failed otherwise (its
// library could not load, say), as did a missing X or Wayland plugin whose
// display is named (`displaySet`: DISPLAY, `waylandDisplaySet`:
// WAYLAND_DISPLAY), and a start that ends in another fatal message.
bool startFailedForWantOfDisplay(const QStringList& said, const QString& fatal, bool displaySet = false,
                                 bool waylandDisplaySet = false);

// The line said when no display can be reached, naming what Qt was pointed
// at: `platforms` is Qt's platform choice ("xcb", "xcb;wayland", ...), the
// others the variables' values, null when unset.
std::string unreachableDisplayLine(std::string_view platforms, const char* display, const char* waylandDisplay);

// The platform choice that Qt takes from these arguments (the last
// "-platform NAME") or, without one, from `environmentChoice`
// (QT_QPA_PLATFORM, null when unset); Qt's X11 plugin when neither names one.
std::string chosenPlatforms(int argc, const char* const* argv, const char* environmentChoice);

} // namespace pimoko
