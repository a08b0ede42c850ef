#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pimoko {

// The one way every file of the program reaches the disk: the saved icon or
// bitmap, the save-as preview, the program's cursor file and --convert.
//
// Symbolic links are followed to the file they finally name, and that file
// is written (a link that names a missing file creates it). The bytes go to
// a new file beside that target, which takes the target's place by a rename
// once all of them are written; when it replaces a file, the data is on the
// disk before the rename and the rename before this returns, and the new
// file keeps the earlier one's mode and, where the system lets the caller
// give it away (as root), its owner and group. A new file is not waited for.
// Replacing gives the file a new inode, so other hard links to the earlier
// file keep the earlier bytes.
//
// A folder, a pipe or device, and a file the caller may not write are
// refused, although the folder might let a new file take the target's
// place. On any failure the earlier file is as it was, nothing is left
// beside it, and FileError is thrown with cannotCreateText(path, reason).
void writeFileWhole(const std::string& path, std::span<const std::uint8_t> bytes);

// The same for a file that must not exist yet: whatever is there under that
// name, a link included, or gets there first, is left alone, and the write
// fails with the reason for an existing file.
void writeNewFileWhole(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace pimoko
