#pragma once

#include "files/codec/icon_file.h"

namespace pimoko {

// Which image of an icon file opens.

// The index of the entry picked for a large icon on a true-colour display.
// Entry 0 is the first best; a later entry replaces the best when its colour
// word (0 = unlimited) is at least the best's and, on each axis,
// |its side - 32| <= |best side - 32| and (its side <= 32 or its side <= best
// side). Ties go to the later entry. The directory must not be empty.
std::size_t chooseIconEntry(const IconDirectory& directory);

} // namespace pimoko
