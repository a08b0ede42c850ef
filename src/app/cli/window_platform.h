#pragma once

#include <optional>
#include <span>
#include <string>

namespace pimoko {

// The variables that say where a window can be shown; empty when unset.
struct DisplayEnvironment {
    std::string display;         // DISPLAY: an X server
    std::string waylandDisplay;  // WAYLAND_DISPLAY: a Wayland compositor
    std::string qtPlatform;      // QT_QPA_PLATFORM: the user's own choice
};

DisplayEnvironment displayEnvironment();

// The Qt platform plugins the window asks for, decided before Qt starts:
// X11 where an X display is set, under a Wayland session too (through
// XWayland), because the fixed-size window and its boxes are placed there
// as the program places them; Wayland otherwise. Empty when the user chose
// (QT_QPA_PLATFORM or a -platform option in `qtArguments`); nullopt when
// there is no display at all.
std::optional<std::string> chooseWindowPlatform(const DisplayEnvironment& environment,
                                                std::span<const std::string> qtArguments);

} // namespace pimoko
