#include "app/cli/window_platform.h"

#include <cstdlib>

namespace pimoko {

DisplayEnvironment displayEnvironment()
{
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
}

std::optional<std::string> chooseWindowPlatform(const DisplayEnvironment& environment,
                                                std::span<const std::string> qtArguments)
{
    for (const std::string& argument : qtArguments)
        if (argument == "-platform")
            return std::string();
    if (!environment.qtPlatform.empty())
        return std::string();
    // Qt tries the plugins in turn: Wayland if the X server cannot be reached.
    if (!environment.display.empty())
        return environment.waylandDisplay.empty() ? "xcb" : "xcb;wayland";
    if (!environment.waylandDisplay.empty())
        return "wayland";
    return std::nullopt;
}

} // namespace pimoko
