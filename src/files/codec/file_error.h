#pragma once

#include <stdexcept>
#include <string>

namespace pimoko {

// A failure in reading or writing a file, carrying the text (UTF-8) that the
// user is shown. Raised where the fault is found and shown by the
// application's one general error box.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& userText) : std::runtime_error(userText) {}
};

// Memory running out while a file was read or written, told apart from other
// failures by its type alone.
class OutOfMemoryError : public FileError {
public:
    using FileError::FileError;
};

} // namespace pimoko
