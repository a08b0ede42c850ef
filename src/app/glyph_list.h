#pragma once

#include <QIcon>
#include <QPixmap>

namespace pimoko {

// The shared list of 16 x 16 glyphs with their masks, used by the commands,
// the menus and the toolbar, and the program's picture. The pictures are
// compiled into the program, so showing them reads no file.
constexpr int GlyphCount = 26;

// Glyph `index`, or a null pixmap outside 0..GlyphCount-1.
QPixmap glyphPixmap(int index);
QIcon glyphIcon(int index);

// The program's picture, for the window icon and the version box.
QPixmap programPicture();

} // namespace pimoko
