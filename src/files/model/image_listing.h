#pragma once

#include "files/codec/icon_file.h"

#include <string>
#include <vector>

namespace pimoko {

// One image of an icon, cursor or program file, as a listing shows it.
struct ListedImage {
    IconDirEntry entry;        // as the directory or the program's icon group states it
    bool chosen = false;       // the image the editor opens
    IconImageStorage storage;  // how its data is stored, from the data's own first bytes
};

// The images of the icon (.ico), cursor (.cur) or program (.exe) file at
// path, in directory order, read from the file's headers and directories and
// the first bytes of each image alone, however large the file is. A program
// without an icon group gives none, and its members whose icon resource is
// not found are listed as missing; in a cursor file of the standard layout
// (type 2), which the editor does not open, none is chosen.
//
// Throws FileError: with cannotOpenText for a file that cannot be read (also
// for a failed allocation), with kInvalidIconText for an icon or cursor file
// whose header or directory cannot be read. A path of any other kind is the
// caller's mistake: std::invalid_argument.
std::vector<ListedImage> readImageListing(const std::string& path);

} // namespace pimoko
