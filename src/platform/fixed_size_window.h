#pragma once

class QWidget;

namespace pimoko {

// Whether the window paints nothing while it may be maximised (see below):
// on Wayland only, or on every window system (for tests).
enum class HoldPainting { OnWayland, Always };

// Keeps `window`, a top-level window of fixed size (minimum and maximum
// size equal, no maximise button among its flags), out of the maximised and
// full-screen states, whoever asks for them: the user, through a title bar
// that shows the button all the same (Qt's own on Wayland), or the window
// system. It asks the window system for the normal state back at once.
//
// On Wayland a frame of the fixed size in the maximised state is a protocol
// error that ends the program, and a compositor need not answer a request
// for the normal state before the window has drawn itself maximised (weston
// does not). So there the window paints nothing from the moment it may be
// maximised, goes back through the full-screen state (where a frame smaller
// than the screen is allowed) and paints again once it is normal. A request
// to maximise that the compositor leaves unanswered (mutter ignores it for
// a window of one size) holds the painting for a second at most.
// Call once, before the window is first shown.
void keepWindowNormal(QWidget* window, HoldPainting holdPainting = HoldPainting::OnWayland);

} // namespace pimoko
