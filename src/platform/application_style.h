#pragma once

namespace pimoko {

// Gives the application the platform's own style with one difference: the
// menu bar's overflow button has no icon. Qt's icon for it is a PNG file,
// and reading it makes Qt load every image format plugin to ask whether it
// reads PNG; that alone costs the start-up half a megabyte and a few
// milliseconds. The window is fixed-size and its menus always fit, so the
// button never shows. Call once, after the application object is made.
void useApplicationStyle();

} // namespace pimoko
