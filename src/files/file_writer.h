#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pimoko {

// How a write treats a file already there, and the disk.
struct WriteOptions {
    // A name already taken, by a file, folder or link of any kind, is
    // refused with "already exists", however late it was taken: the
    // refusal is part of the step that puts the new file in place.
    bool neverReplace = false;
    // A new file and its folder entry reach the disk before the write
    // returns, as a replaced file always does.
    bool syncNewFile = false;
    // A link at the name itself is not followed but refused ("too many
    // levels of links"); links in the folders above it still are.
    bool noFollow = false;
    // The file is the caller's alone (mode 0600), new or replacing another;
    // the earlier file's mode, owner and group are not taken over.
    bool ownerOnly = false;
};

// The one way every file of the program reaches the disk: the saved icon or
// bitmap, the save-as preview, the program's cursor file and the command
// line's outputs.
//
// Symbolic links are followed by the system itself, with every protection
// it applies (a link it refuses to follow is refused with its reason), and
// the file they lead to is written; a link that leads to a missing file
// creates it there. The bytes go to a new file beside that target, which
// takes the target's place by a rename once all of them are written. When
// it replaces a file, the new file is the caller's alone (mode 0600) until
// it is given the earlier file's mode and, where the system lets the caller
// give it away (as root), its owner and group; its data is on the disk
// before the rename and the rename before this returns. A new file gets the
// mode a plain create gives and is waited for only with syncNewFile.
// Replacing gives the file a new inode, so other hard links to the earlier
// file keep the earlier bytes.
//
// A folder, a pipe or device, and a file the caller may not write are
// refused, although the folder might let a new file take the target's
// place. On any failure the earlier file is as it was, nothing is left
// beside it, and FileError is thrown with cannotCreateText(path, reason).
void writeFileWhole(const std::string& path, std::span<const std::uint8_t> bytes, WriteOptions options = {});

} // namespace pimoko
