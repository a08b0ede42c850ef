#pragma once

#include "files/codec/icon_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pimoko {

// The members of a program file's first icon group: the first icon group in
// stored order, its first language; each member's icon resource by its
// number, first language. findProgramIcon (pe_icon.h) takes the chosen one.
struct ProgramIconGroup {
    struct Member {
        IconDirEntry entry;        // as the group states it; offset and size of
                                   // the member's data when `found`
        std::uint16_t resourceId = 0;
        bool found = false;        // whether its icon resource lies in the file
    };
    std::vector<Member> members;
    std::size_t chosen = 0;        // the member chooseIconEntry picks
};

// Which members readProgramIconGroup looks for: all, or only the chosen one
// (the others are then listed with found = false).
enum class GroupMembers { All, ChosenOnly };

// nullopt where there is no group: not a program, no icon group,
// or a header, section, resource directory or the group itself cut off or
// pointing outside the file. A member whose resource is missing or damaged
// is listed with found = false.
//
// The source form reads the program piece by piece: its DOS and PE headers,
// the section table, the resource directories on the way and the group, each
// only as far as it reaches, never the rest of the file nor the members'
// image data; so a program of any size costs a few small reads. Only the
// source's own errors (FileError for a file that cannot be read) escape.
std::optional<ProgramIconGroup> readProgramIconGroup(std::span<const std::uint8_t> file);
std::optional<ProgramIconGroup> readProgramIconGroup(const ByteSource& file, GroupMembers members = GroupMembers::All);

} // namespace pimoko
