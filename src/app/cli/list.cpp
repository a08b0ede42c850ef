#include "app/cli/list.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_png.h"
#include "files/codec/pe_icon_group.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <span>
#include <variant>

namespace pimoko {

namespace {

std::uint16_t u16At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

// How an image's data is stored and its bits per pixel, from its own header.
struct StoredImage {
    const char* kind = "missing";
    int bits = 0;
};

StoredImage storedImage(std::span<const std::uint8_t> file, const IconDirEntry& entry)
{
    if (entry.dataOffset > file.size() || entry.dataSize > file.size() - entry.dataOffset)
        return {};
    const auto data = file.subspan(entry.dataOffset, entry.dataSize);
    if (hasPngSignature(data)) {
        // IHDR: bit depth and colour type at 24 and 25; bits = depth x channels.
        if (data.size() < 26)
            return {"PNG", 0};
        static constexpr int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = data[25];
        return {"PNG", type < 7 ? data[24] * channels[type] : 0};
    }
    return {"bitmap", data.size() >= 16 ? u16At(data, 14) : 0};
}

// The colours the bits per pixel hold, five columns wide; "—" above 8 bits,
// where no palette counts them (the entry's own field says 0 there).
std::string colourCount(int bits)
{
    if (bits < 1 || bits > 8)
        return "    —";
    char count[8];
    std::snprintf(count, sizeof count, "%5d", 1 << bits);
    return count;
}

std::string imageLine(std::size_t index, bool chosen, const IconDirEntry& entry, const StoredImage& stored)
{
    char line[160];
    std::snprintf(line, sizeof line, "%c %2zu  %3d x %-3d  %s colours  %2d bits  %-7s %7u bytes", chosen ? '*' : ' ',
                  index, entrySide(entry.width), entrySide(entry.height), colourCount(stored.bits).c_str(), stored.bits,
                  stored.kind, unsigned(entry.dataSize));
    return line;
}

} // namespace

std::vector<std::string> listImages(const std::string& path)
{
    const PictureKind kind = pictureKindFor(path);
    if (kind != PictureKind::Icon && kind != PictureKind::Cursor && kind != PictureKind::Program)
        throw FileError("--list reads icon (.ico), cursor (.cur) and program (.exe) files");
    const std::vector<std::uint8_t> file = readWholeFile(path);
    std::vector<std::string> lines;
    if (kind == PictureKind::Program) {
        const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
        if (!group)
            return {"no icon: the editor shows the generic application icon"};
        for (std::size_t i = 0; i < group->members.size(); ++i) {
            const ProgramIconGroup::Member& member = group->members[i];
            lines.push_back(imageLine(i, i == group->chosen, member.entry,
                                      member.found ? storedImage(file, member.entry) : StoredImage{}));
        }
        return lines;
    }
    const IconDirectory directory = readIconDirectory(file);
    // Only the icon layout is opened; the editor picks from it alone.
    const bool opened = directory.type == kIconFileType;
    const std::size_t chosen = opened ? chooseIconEntry(directory) : directory.entries.size();
    for (std::size_t i = 0; i < directory.entries.size(); ++i)
        lines.push_back(imageLine(i, i == chosen, directory.entries[i], storedImage(file, directory.entries[i])));
    return lines;
}

int runList(const CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    const std::string& path = commandLine.operands.front();
    try {
        for (const std::string& line : listImages(path))
            out << line << '\n';
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitRefused;
    }
    // The images are listed either way; a file the window would refuse says so.
    std::string refusal;
    try {
        const auto read = readPictureFile(path);
        if (const auto* refused = std::get_if<OpenRefusal>(&read))
            refusal = openRefusalText(*refused);
    } catch (const FileError& error) {
        refusal = error.what();
    }
    if (refusal.empty())
        return ExitDone;
    err << "pimoko: the editor does not open this file: " << refusal << '\n';
    return ExitRefused;
}

} // namespace pimoko
