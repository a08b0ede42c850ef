#pragma once

#include "app/cli/command_line.h"
#include "files/file_writer.h"
#include "files/model/picture_reading.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// What every verb does with its files: reads a picture as the open command
// does, writes its output through the one writer, and tells a failure in
// one line.

namespace pimoko {

class FileError;

// The picture the open command reads from `path`. What it refuses throws
// FileError with the refusal's text: a kind it does not open with
// `otherKind` instead, when given.
OpenedPicture openPicture(const std::string& path, std::string_view otherKind = {});
// The same, read as `kind` whatever the name says.
OpenedPicture openPictureAs(const std::string& path, PictureKind kind);

// An error of a verb as the command line shows it: one line,
// "pimoko: FILE: reason". The reason loses the dialog's line breaks and
// padding: each run of spaces, full-width ones included, and line breaks
// becomes one space. A name holding a control character (a line break, a
// tab, an escape, DEL, a C1 control) is quoted as the shell would read it
// back ('two'$'\n''lines.ico'); any other name is given as it is.
std::string errorLine(const std::string& path, const std::string& reason);
// The error's own file, or `path` when it names none.
std::string errorLine(const std::string& path, const FileError& error);

// Writes errorLine and its line break to `err` and returns `status`.
int reportError(std::ostream& err, const std::string& path, const std::string& reason, ExitStatus status);
int reportError(std::ostream& err, const std::string& path, const FileError& error, ExitStatus status);

// Writes a verb's output file through the program's one writer: ExitDone,
// or the error line and ExitCannotWrite when the bytes cannot be made or
// written.
int writeOutput(const std::string& path, const std::function<std::vector<std::uint8_t>()>& bytes, std::ostream& err,
                WriteOptions options = {});

} // namespace pimoko
