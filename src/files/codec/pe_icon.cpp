#include "files/codec/pe_icon.h"

#include "files/codec/file_error.h"
#include "files/codec/generic_app_icon.h"
#include "files/codec/pe_icon_group.h"
#include "files/codec/icon_decode.h"
#include "files/codec/icon_picture.h"

#include <vector>

namespace pimoko {

namespace {

[[noreturn]] void refuse()
{
    throw FileError(kInvalidIconText);
}

} // namespace

std::optional<IconDirEntry> findProgramIcon(std::span<const std::uint8_t> file)
{
    return findProgramIcon(SpanSource(file));
}

std::optional<IconDirEntry> findProgramIcon(const ByteSource& file)
{
    const std::optional<ProgramIconGroup> group = readProgramIconGroup(file, GroupMembers::ChosenOnly);
    if (!group || group->members.empty())
        return std::nullopt;
    const ProgramIconGroup::Member& chosen = group->members[group->chosen];
    if (!chosen.found)
        return std::nullopt;
    return chosen.entry;
}

PixelBuffer readProgramIconPicture(std::span<const std::uint8_t> file)
{
    return readProgramIconPicture(SpanSource(file));
}

PixelBuffer readProgramIconPicture(const ByteSource& file)
{
    const std::optional<IconDirEntry> entry = findProgramIcon(file);
    if (!entry || entry->dataSize > kMaxIconFileSize)
        return genericAppIconPicture();
    // The member's data on its own, as the entry of a one-image icon file.
    const std::vector<std::uint8_t> data = fetchBytes<refuse>(file, entry->dataOffset, entry->dataSize);
    IconDirEntry inData = *entry;
    inData.dataOffset = 0;
    try {
        return drawIconOnWhite(decodeIconEntry(data, inData, kLargeIconSide, kLargeIconSide));
    } catch (const FileError&) {
        return genericAppIconPicture();
    }
}

} // namespace pimoko
