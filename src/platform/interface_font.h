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

// While one lives, the application's default font is `font`; then it is
// what it was. For widgets that lay their text out once in the default font
// before they take their parent's, as a QLineEdit does when it is made:
// made inside one, they load no font the window does not use (the desktop's
// font otherwise, a few hundred microseconds at start). Widgets already made
// are not told, and no widget class's own font is touched.
class DefaultFontScope {
public:
    explicit DefaultFontScope(const QFont& font);
    ~DefaultFontScope();
    DefaultFontScope(const DefaultFontScope&) = delete;
    DefaultFontScope& operator=(const DefaultFontScope&) = delete;

private:
    QFont previous_;
};

} // namespace pimoko
