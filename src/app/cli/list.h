#pragma once

#include "app/cli/command_line.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace pimoko {

// The lines --list prints for an icon, cursor or program file: one per
// image, the one the editor opens marked with "*"; for a PNG file one line,
// from its header alone. Throws FileError.
std::vector<std::string> listImages(const std::string& path);

// --list FILE.
int runList(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
