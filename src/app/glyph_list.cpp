#include "app/glyph_list.h"

#include "platform/xpm_image.h"

#include <array>

namespace {

// The XPM files are C source: each defines one array of strings.
#include "resources/glyphs/glyph_00.xpm"
#include "resources/glyphs/glyph_01.xpm"
#include "resources/glyphs/glyph_02.xpm"
#include "resources/glyphs/glyph_03.xpm"
#include "resources/glyphs/glyph_04.xpm"
#include "resources/glyphs/glyph_05.xpm"
#include "resources/glyphs/glyph_06.xpm"
#include "resources/glyphs/glyph_07.xpm"
#include "resources/glyphs/glyph_08.xpm"
#include "resources/glyphs/glyph_09.xpm"
#include "resources/glyphs/glyph_10.xpm"
#include "resources/glyphs/glyph_11.xpm"
#include "resources/glyphs/glyph_12.xpm"
#include "resources/glyphs/glyph_13.xpm"
#include "resources/glyphs/glyph_14.xpm"
#include "resources/glyphs/glyph_15.xpm"
#include "resources/glyphs/glyph_16.xpm"
#include "resources/glyphs/glyph_17.xpm"
#include "resources/glyphs/glyph_18.xpm"
#include "resources/glyphs/glyph_19.xpm"
#include "resources/glyphs/glyph_20.xpm"
#include "resources/glyphs/glyph_21.xpm"
#include "resources/glyphs/glyph_22.xpm"
#include "resources/glyphs/glyph_23.xpm"
#include "resources/glyphs/glyph_24.xpm"
#include "resources/glyphs/glyph_25.xpm"
#include "resources/program_icon.xpm"

const char* const* const kGlyphSources[] = {
    glyph_00, glyph_01, glyph_02, glyph_03, glyph_04, glyph_05, glyph_06, glyph_07, glyph_08, glyph_09, glyph_10, glyph_11, glyph_12, glyph_13, glyph_14, glyph_15, glyph_16, glyph_17, glyph_18, glyph_19, glyph_20, glyph_21, glyph_22, glyph_23, glyph_24, glyph_25,
};

} // namespace

namespace pimoko {

namespace {

QPixmap pixmapOfXpm(const char* const* xpm)
{
    const QImage image = plainXpmImage(xpm);
    return image.isNull() ? QPixmap(xpm) : QPixmap::fromImage(image);
}

} // namespace

static_assert(std::size(kGlyphSources) == GlyphCount);

QPixmap glyphPixmap(int index)
{
    if (index < 0 || index >= GlyphCount)
        return {};
    // Decoded once, on first use.
    static std::array<QPixmap, GlyphCount> decoded;
    QPixmap& pixmap = decoded[std::size_t(index)];
    if (pixmap.isNull())
        pixmap = pixmapOfXpm(kGlyphSources[index]);
    return pixmap;
}

QIcon glyphIcon(int index)
{
    const QPixmap pixmap = glyphPixmap(index);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

QPixmap programPicture()
{
    static const QPixmap picture = pixmapOfXpm(program_icon);
    return picture;
}

} // namespace pimoko
