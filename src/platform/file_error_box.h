#pragma once

#include <functional>

class QWidget;

namespace pimoko {

class Dialogs;

// Runs one step of a file command; a FileError it throws is shown in the
// one general error box over `window`, in the error's own sentence. True
// when the step ran without one.
bool reportingFileErrors(Dialogs& dialogs, QWidget* window, const std::function<void()>& step);

} // namespace pimoko
