#pragma once

#include <QFont>
#include <QString>

namespace pimoko {

// The interface font family "ＭＳ Ｐゴシック" as this system has it: the family
// itself where installed, otherwise the first installed Japanese
// proportional Gothic registered as its substitute. Resolved once, so that every font the windows
// ask for names a family that exists and needs no fallback search.
QString uiFontFamily();

// The interface font at a pixel size.
QFont uiFont(int pixelSize, bool bold = false);

} // namespace pimoko
