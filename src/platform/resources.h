#pragma once

namespace pimoko {

// Registers the compiled-in glyphs and pictures (":/glyphs/...",
// ":/program_icon.xpm"). They live in a static library, whose resource
// registration the linker would otherwise drop; safe to call any number of
// times.
void loadResources();

} // namespace pimoko
