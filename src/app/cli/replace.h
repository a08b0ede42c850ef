#pragma once

#include "app/cli/command_line.h"

#include <iosfwd>

namespace pimoko {

// --replace ICON PICTURE: PICTURE, read as --pack reads its inputs and
// stored as it stores them, takes the place of ICON's image of the same
// size and depth, or joins ICON when it has none; ICON's other images stay
// byte for byte. ICON is replaced whole or not at all.
int runReplace(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
