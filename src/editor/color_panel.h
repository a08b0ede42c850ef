#pragma once

#include "editor/model/drawing_tools.h"
#include "raster/color.h"

#include <QObject>

#include <optional>

class QLineEdit;
class QWidget;

namespace pimoko {

class Dialogs;
class TColorGrid;

// The colour controls of the side panel: the left and right pen colours
// shown in their two boxes, taken from the palette, and the back-panel
// colour chosen through the colour dialog. A press and a release on the
// palette each give the button's box the colour of that button's mark, as
// it is before the palette moves the mark.
class ColorPanel : public QObject {
    Q_OBJECT
public:
    ColorPanel(QLineEdit* leftBox, QLineEdit* rightBox, TColorGrid* palette, QObject* parent);

    const PenColors& colors() const { return colors_; }
    void setLeftColor(Color c);
    void setRightColor(Color c);
    // Takes both colours, updating only the boxes that change.
    void setColors(const PenColors& colors);

    // The colour box of `button` takes the colour of its palette mark; other
    // buttons change nothing.
    void takePaletteColor(Qt::MouseButton button);

    // Asks for a back-panel colour, opening on the one chosen last (black
    // the first time); nothing when the dialog is cancelled.
    std::optional<Color> chooseBackPanelColor(Dialogs& dialogs, QWidget* parent);

private:
    QLineEdit* leftBox_;
    QLineEdit* rightBox_;
    TColorGrid* palette_;
    PenColors colors_;
    Color lastChosenBackColor_ = kBlack;
};

// Paints a read-only box's background in c.
void setBoxColor(QLineEdit* box, Color c);

} // namespace pimoko
