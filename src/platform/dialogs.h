#pragma once

#include "raster/color.h"

#include <QString>

#include <optional>

class QWidget;

namespace pimoko {

// Every modal question the editor asks goes through this seam: real Qt
// dialogs in the program, scripted answers in tests.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The colour-choice dialog, opened on `initial`; nothing when cancelled.
    virtual std::optional<Color> chooseColor(QWidget* parent, Color initial) = 0;
};

// The program's dialogs. The colour dialog keeps its 16 custom colours for
// the whole run.
class QtDialogs : public Dialogs {
public:
    std::optional<Color> chooseColor(QWidget* parent, Color initial) override;
};

} // namespace pimoko
