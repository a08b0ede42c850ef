#pragma once

#include "files/model/file_descriptor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pimoko {

// The program's state folder (see recoveryFolder) and the small files it
// keeps there. The folder is used only while, as opened, it is the user's
// own: owned by the effective user and writable by no one else, so that no
// one else can plant, change or remove what the program keeps in it. Its
// files are made 0600 and never read or written through a link, nor waited
// on when something else took their names.

// Makes the folder and any missing folder above it, each 0700. True when
// the folder is there.
bool makePrivateFolder(const std::string& path);

// The folder as opened, when it is the user's own; -1 otherwise.
FileDescriptor openOwnFolder(const std::string& path);

// Opens a file of the folder without following a link or waiting on a pipe.
FileDescriptor openInFolder(int folderFd, const std::string& name, int flags);

// The whole file as opened: the user's own regular file of at most maxSize
// bytes; nothing for anything else.
std::optional<std::vector<std::uint8_t>> readOwnFile(int folderFd, const std::string& name, std::uint64_t maxSize);

// A state file's text; nothing when it or the folder is not the user's own.
std::optional<std::string> readStateFile(const std::string& folder, const std::string& name);
// Writes a state file whole through the one writer, making the folder
// first; a failure leaves the earlier state, or none.
void writeStateFile(const std::string& folder, const std::string& name, std::string_view text);
void removeStateFile(const std::string& folder, const std::string& name);

} // namespace pimoko
