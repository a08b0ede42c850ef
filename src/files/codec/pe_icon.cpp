#include "files/codec/pe_icon.h"

#include "files/codec/file_error.h"
#include "files/codec/generic_app_icon.h"
#include "files/codec/pe_icon_group.h"

namespace pimoko {

std::optional<IconDirEntry> findProgramIcon(std::span<const std::uint8_t> file)
{
    const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
    if (!group || group->members.empty())
        return std::nullopt;
    const ProgramIconGroup::Member& chosen = group->members[group->chosen];
    if (!chosen.found)
        return std::nullopt;
    return chosen.entry;
}

PixelBuffer readProgramIconPicture(std::span<const std::uint8_t> file)
{
    const std::optional<IconDirEntry> entry = findProgramIcon(file);
    if (!entry)
        return genericAppIconPicture();
    try {
        return drawIconOnWhite(decodeIconEntry(file, *entry, kLargeIconSide, kLargeIconSide));
    } catch (const FileError&) {
        return genericAppIconPicture();
    }
}

} // namespace pimoko
