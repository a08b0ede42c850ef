#include "platform/file_error_box.h"

#include "files/codec/file_error.h"
#include "platform/dialogs.h"

namespace pimoko {

bool reportingFileErrors(Dialogs& dialogs, QWidget* window, const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const FileError& error) {
        dialogs.showError(window, QString::fromUtf8(error.what()));
        return false;
    }
}

} // namespace pimoko
