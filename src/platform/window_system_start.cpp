#include "platform/window_system_start.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <unistd.h>

#include <mutex>
#include <vector>

namespace pimoko {

namespace {

// One of Qt's messages, with copies of what its context points at.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

struct StartWatch {
    std::mutex lock;
    bool watching = false;
    std::string failureLine;
    QtMessageHandler previous = nullptr;
    std::vector<HeldMessage> held;
};

StartWatch& watch()
{
    static StartWatch instance;
    return instance;
}

// `handler` is never null: Qt hands out its own default handler.
void pass(QtMessageHandler handler, const HeldMessage& message)
{
    const QMessageLogContext context(message.file.constData(), message.line, message.function.constData(),
                                     message.category.constData());
    handler(message.type, context, message.text);
}

// Qt's words, in its platform plugins, for a connection to the display
// that failed.
bool saysConnectionFailed(const QString& text)
{
    return text.startsWith(u"could not connect to display") || text.startsWith(u"Failed to create wl_display");
}

// Whether Qt would have reached a display through the plugin `name`, had
// it been there: the X plugin with DISPLAY set, a Wayland one with
// WAYLAND_DISPLAY set.
bool displayNamedFor(const QString& name, bool displaySet, bool waylandDisplaySet)
{
    return (name == u"xcb" && displaySet) || ((name == u"wayland" || name == u"wayland-egl") && waylandDisplaySet);
}

} // namespace

bool startFailedForWantOfDisplay(const QStringList& said, const QString& fatal, bool displaySet,
                                 bool waylandDisplaySet)
{
    if (!fatal.contains(u"no Qt platform plugin could be initialized"))
        return false;
    bool connectionFailed = false;
    bool pluginGivenUp = false;
    for (const QString& text : said) {
        if (saysConnectionFailed(text)) {
            connectionFailed = true;
        } else if (text.startsWith(u"Could not load the Qt platform plugin")) {
            if (!connectionFailed)
                return false;
            connectionFailed = false;
            pluginGivenUp = true;
        } else if (text.startsWith(u"Could not find the Qt platform plugin")) {
            // A name Qt has no plugin for is a window system out of reach;
            // the X or Wayland plugin missing, where its display is named,
            // is not.
            if (displayNamedFor(text.section(u'"', 1, 1), displaySet, waylandDisplaySet))
                return false;
            pluginGivenUp = true;
        }
    }
    return pluginGivenUp;
}

namespace {

void holdOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    StartWatch& state = watch();
    HeldMessage message{type, context.file, context.line, context.function, context.category, text};
    QtMessageHandler previous;
    {
        const std::lock_guard guard(state.lock);
        if (state.watching && type == QtFatalMsg) {
            // Straight out: nothing of Qt, half made, is torn down. Any other
            // failure is told in Qt's own words, the held ones first.
            QStringList said;
            for (const HeldMessage& held : state.held)
                said.append(held.text);
            if (startFailedForWantOfDisplay(said, text, !qEnvironmentVariableIsEmpty("DISPLAY"),
                                            !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))) {
                const std::string line = state.failureLine + '\n';
                [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
            } else {
                state.held.push_back(std::move(message));
                for (const HeldMessage& held : state.held)
                    pass(state.previous, held);
            }
            ::_exit(1);
        }
        if (state.watching) {
            state.held.push_back(std::move(message));
            return;
        }
        // A message that came in as the start finished.
        previous = state.previous;
    }
    pass(previous, message);
}

} // namespace

WindowSystemStart::WindowSystemStart(std::string failureLine)
{
    StartWatch& state = watch();
    const std::lock_guard guard(state.lock);
    state.watching = true;
    state.failureLine = std::move(failureLine);
    state.held.clear();
    state.previous = qInstallMessageHandler(holdOrFail);
}

WindowSystemStart::~WindowSystemStart()
{
    finish();
}

void WindowSystemStart::finish()
{
    StartWatch& state = watch();
    std::vector<HeldMessage> held;
    QtMessageHandler previous;
    {
        const std::lock_guard guard(state.lock);
        if (!state.watching)
            return;
        state.watching = false;
        held.swap(state.held);
        previous = state.previous;
        qInstallMessageHandler(previous);
    }
    for (const HeldMessage& message : held)
        pass(previous, message);
}

std::string unreachableDisplayLine(std::string_view platforms, const char* display, const char* waylandDisplay)
{
    const auto variable = [](const char* name, const char* value) {
        return std::string(name) + (value && *value ? std::string("=") + value : std::string(" (not set)"));
    };
    std::string reached;
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        const std::string_view platform = platforms.substr(0, end);
        platforms.remove_prefix(end == std::string_view::npos ? platforms.size() : end + 1);
        if (platform.empty())
            continue;
        // A platform's options follow its name after a colon.
        const std::string_view name = platform.substr(0, platform.find(':'));
        std::string item;
        if (name == "xcb")
            item = variable("DISPLAY", display);
        else if (name == "wayland" || name == "wayland-egl")
            item = variable("WAYLAND_DISPLAY", waylandDisplay);
        else
            item = "the window system \"" + std::string(name) + '"';
        reached += (reached.empty() ? "" : " nor ") + item;
    }
    return "pimoko: no display to open the window on (cannot reach " + reached
        + "); --convert and --list work without one";
}

std::string chosenPlatforms(int argc, const char* const* argv, const char* environmentChoice)
{
    std::string chosen = environmentChoice && *environmentChoice ? environmentChoice : "xcb";
    // Qt takes its options with one dash or two.
    for (int i = 1; i + 1 < argc; ++i)
        if (const std::string_view option = argv[i]; option == "-platform" || option == "--platform")
            chosen = argv[++i];
    return chosen;
}

} // namespace pimoko
