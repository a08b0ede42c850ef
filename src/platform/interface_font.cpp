#include "platform/interface_font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace pimoko {

namespace {
const QString kUiFontName = QStringLiteral("ＭＳ Ｐゴシック");
}

QString uiFontFamily()
{
    static const QString family = [] {
        QFont::insertSubstitutions(kUiFontName, {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                                 QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
        if (QFontDatabase::hasFamily(kUiFontName))
            return kUiFontName;
        for (const QString& substitute : QFont::substitutes(kUiFontName))
            if (QFontDatabase::hasFamily(substitute))
                return substitute;
        return kUiFontName;
    }();
    return family;
}

DefaultFontScope::DefaultFontScope(const QFont& font)
    : previous_(QGuiApplication::font())
{
    QGuiApplication::setFont(font);
}

DefaultFontScope::~DefaultFontScope()
{
    QGuiApplication::setFont(previous_);
}

QFont uiFont(int pixelSize, bool bold)
{
    QFont font(uiFontFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // The interface's own texts, Japanese and Latin in a Gothic with no
    // ligatures or kerning of its own, come out the same pixels without
    // OpenType shaping, which costs a shaping plan per font and size.
    // Scripts that need shaping are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace pimoko
