#include "platform/application_style.h"

#include <QApplication>
#include <QProxyStyle>

namespace pimoko {

namespace {

class ApplicationStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

void useApplicationStyle()
{
    QApplication::setStyle(new ApplicationStyle);
}

} // namespace pimoko
