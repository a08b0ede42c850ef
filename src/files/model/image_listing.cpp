#include "files/model/image_listing.h"

#include "files/codec/pe_icon_group.h"
#include "files/model/file_names.h"
#include "files/model/readable_file.h"
#include "files/codec/icon_choice.h"

#include <stdexcept>

namespace pimoko {

namespace {

std::vector<ListedImage> listProgram(const ReadableFile& file)
{
    const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
    std::vector<ListedImage> images;
    if (!group)
        return images;
    for (std::size_t i = 0; i < group->members.size(); ++i) {
        const ProgramIconGroup::Member& member = group->members[i];
        images.push_back({member.entry, i == group->chosen,
                          member.found ? readIconImageStorage(file, member.entry) : IconImageStorage{}});
    }
    return images;
}

std::vector<ListedImage> listIconFile(const ReadableFile& file)
{
    const IconDirectory directory = readIconDirectory(file);
    // Only the icon layout is opened; the editor picks from it alone.
    const bool opened = directory.type == kIconFileType;
    const std::size_t chosen = opened ? chooseIconEntry(directory) : directory.entries.size();
    std::vector<ListedImage> images;
    for (std::size_t i = 0; i < directory.entries.size(); ++i)
        images.push_back({directory.entries[i], i == chosen, readIconImageStorage(file, directory.entries[i])});
    return images;
}

} // namespace

std::vector<ListedImage> readImageListing(const std::string& path)
{
    const PictureKind kind = pictureKindFor(path);
    if (kind != PictureKind::Icon && kind != PictureKind::Cursor && kind != PictureKind::Program)
        throw std::invalid_argument("only icon, cursor and program files are listed");
    return readingWithinMemory(path, [&] {
        const ReadableFile file(path);
        return kind == PictureKind::Program ? listProgram(file) : listIconFile(file);
    });
}

} // namespace pimoko
