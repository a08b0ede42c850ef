#pragma once

#include <string>

namespace pimoko {

// The reason a file could not be read or written, as the user is shown it:
// Japanese for the errors a user meets with files, the same in every
// locale; the system's own text for anything else.
std::string systemReasonText(int errorNumber);

// Reasons the program finds itself rather than the system.
enum class FileProblem {
    ChangedWhileRead, // the file grew or shrank while it was read
    TooLarge,         // larger than any picture the editor opens
    NotRegularFile,   // a folder, pipe, device or socket
    OutOfMemory,      // the picture could not be held in memory
};
std::string fileProblemText(FileProblem problem);

} // namespace pimoko
