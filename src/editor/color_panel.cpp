#include "editor/color_panel.h"

#include "editor/color_grid.h"
#include "platform/dialogs.h"
#include "platform/pixel_image.h"

#include <QLineEdit>

namespace pimoko {

void setBoxColor(QLineEdit* box, Color c)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, toQColor(c));
    box->setPalette(palette);
}

ColorPanel::ColorPanel(QLineEdit* leftBox, QLineEdit* rightBox, TColorGrid* palette, QObject* parent)
    : QObject(parent)
    , leftBox_(leftBox)
    , rightBox_(rightBox)
    , palette_(palette)
{
    connect(palette_, &TColorGrid::mouseDown, this, &ColorPanel::takePaletteColor);
    connect(palette_, &TColorGrid::mouseUp, this, &ColorPanel::takePaletteColor);
    setBoxColor(leftBox_, colors_.left);
    setBoxColor(rightBox_, colors_.right);
}

void ColorPanel::setLeftColor(Color c)
{
    colors_.left = c & 0xFFFFFF;
    setBoxColor(leftBox_, colors_.left);
}

void ColorPanel::setRightColor(Color c)
{
    colors_.right = c & 0xFFFFFF;
    setBoxColor(rightBox_, colors_.right);
}

void ColorPanel::setColors(const PenColors& colors)
{
    if (colors.left != colors_.left)
        setLeftColor(colors.left);
    if (colors.right != colors_.right)
        setRightColor(colors.right);
}

void ColorPanel::takePaletteColor(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        setLeftColor(palette_->ForegroundRGB());
    else if (button == Qt::RightButton)
        setRightColor(palette_->BackgroundRGB());
}

std::optional<Color> ColorPanel::chooseBackPanelColor(Dialogs& dialogs, QWidget* parent)
{
    const std::optional<Color> chosen = dialogs.chooseColor(parent, lastChosenBackColor_);
    if (chosen)
        lastChosenBackColor_ = *chosen;
    return chosen;
}

} // namespace pimoko
