#include "platform/dialogs.h"

#include "platform/pixel_image.h"

#include <QColorDialog>

namespace pimoko {

std::optional<Color> QtDialogs::chooseColor(QWidget* parent, Color initial)
{
    // QColorDialog keeps its custom colours in static storage for the run.
    const QColor chosen = QColorDialog::getColor(toQColor(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

} // namespace pimoko
