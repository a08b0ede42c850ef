#include "files/codec/pe_icon.h"

#include "files/codec/file_error.h"
#include "files/codec/generic_app_icon.h"

#include <limits>
#include <vector>

namespace pimoko {

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;        // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kSectionHeaderSize = 40;

constexpr std::uint32_t kIconResource = 3;        // RT_ICON
constexpr std::uint32_t kIconGroupResource = 14;  // RT_GROUP_ICON
constexpr std::uint32_t kHighBit = 0x80000000u;   // a name string, or a subdirectory
constexpr std::uint64_t kResourceDirectorySize = 16;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint64_t kResourceDataEntrySize = 16;
constexpr std::uint64_t kGroupHeaderSize = 6;
constexpr std::uint64_t kGroupEntrySize = 14;

// Raised inside this file for anything that ends the search.
struct NoIcon {};

// Little-endian reads that refuse to go past the end of the bytes.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    void require(std::uint64_t offset, std::uint64_t count) const
    {
        if (offset > bytes_.size() || count > bytes_.size() - offset)
            throw NoIcon{};
    }
    std::uint16_t u16(std::uint64_t offset) const
    {
        require(offset, 2);
        return std::uint16_t(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const
    {
        return std::uint32_t(u16(offset)) | (std::uint32_t(u16(offset + 2)) << 16);
    }

private:
    std::span<const std::uint8_t> bytes_;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// The headers of a program file: where its resources start and how its
// sections map addresses to file offsets.
class ProgramFile {
public:
    explicit ProgramFile(std::span<const std::uint8_t> file) : file_(file)
    {
        if (file_.u16(0) != kDosMagic)
            throw NoIcon{};
        const std::uint64_t peHeader = file_.u32(kNewHeaderOffsetField);
        if (file_.u32(peHeader) != kPeSignature)
            throw NoIcon{};
        const std::uint64_t fileHeader = peHeader + 4;
        const std::uint16_t sectionCount = file_.u16(fileHeader + 2);
        const std::uint16_t optionalSize = file_.u16(fileHeader + 16);
        const std::uint64_t optional = fileHeader + kFileHeaderSize;

        std::uint64_t countField = 0;
        std::uint64_t directories = 0;
        switch (file_.u16(optional)) {
        case kPe32Magic:
            countField = 92;
            directories = 96;
            break;
        case kPe32PlusMagic:
            countField = 108;
            directories = 112;
            break;
        default:
            throw NoIcon{};
        }
        const std::uint64_t resourceField = directories + 8 * kResourceDirectoryIndex;
        if (file_.u32(optional + countField) <= kResourceDirectoryIndex || optionalSize < resourceField + 8)
            throw NoIcon{};
        resourceRva_ = file_.u32(optional + resourceField);
        if (resourceRva_ == 0)
            throw NoIcon{};

        const std::uint64_t table = optional + optionalSize;
        file_.require(table, sectionCount * kSectionHeaderSize);
        sections_.reserve(sectionCount);
        for (std::uint64_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t at = table + i * kSectionHeaderSize;
            sections_.push_back({file_.u32(at + 12), file_.u32(at + 16), file_.u32(at + 20)});
        }
    }

    std::uint32_t resourceRva() const { return resourceRva_; }

    // The file offset of the bytes [rva, rva + count), which must lie in the
    // stored data of one section and inside the file.
    std::uint64_t offsetOf(std::uint32_t rva, std::uint64_t count) const
    {
        const Section& section = sectionOf(rva);
        const std::uint64_t within = rva - section.virtualAddress;
        if (count > section.rawSize - within)
            throw NoIcon{};
        const std::uint64_t offset = std::uint64_t(section.rawOffset) + within;
        file_.require(offset, count);
        return offset;
    }

    // The stored bytes of the section from rva to its end.
    std::span<const std::uint8_t> tailFrom(std::uint32_t rva, std::span<const std::uint8_t> file) const
    {
        const Section& section = sectionOf(rva);
        const std::uint64_t count = section.rawSize - (rva - section.virtualAddress);
        return file.subspan(std::size_t(offsetOf(rva, count)), std::size_t(count));
    }

private:
    const Section& sectionOf(std::uint32_t rva) const
    {
        for (const Section& section : sections_)
            if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize)
                return section;
        throw NoIcon{};
    }

    Bytes file_;
    std::uint32_t resourceRva_ = 0;
    std::vector<Section> sections_;
};

// The resource tree: directories of entries, offsets relative to its root.
class ResourceTree {
public:
    explicit ResourceTree(std::span<const std::uint8_t> bytes) : tree_(bytes) {}

    // The subdirectory under the entry with number id in the directory at
    // dir; none when there is no such entry.
    std::optional<std::uint32_t> numbered(std::uint32_t dir, std::uint32_t id) const
    {
        const std::uint64_t named = tree_.u16(dir + 12);
        const std::uint64_t numberedCount = tree_.u16(dir + 14);
        const std::uint64_t first = dir + kResourceDirectorySize;
        tree_.require(first, (named + numberedCount) * kResourceEntrySize);
        for (std::uint64_t i = named; i < named + numberedCount; ++i) {
            const std::uint64_t at = first + i * kResourceEntrySize;
            const std::uint32_t name = tree_.u32(at);
            if ((name & kHighBit) == 0 && name == id)
                return tree_.u32(at + 4);
        }
        return std::nullopt;
    }

    // The target of the directory's first entry, named entries first.
    std::optional<std::uint32_t> first(std::uint32_t dir) const
    {
        const std::uint32_t count = std::uint32_t(tree_.u16(dir + 12)) + tree_.u16(dir + 14);
        if (count == 0)
            return std::nullopt;
        return tree_.u32(dir + kResourceDirectorySize + 4);
    }

    // The directory a target names; a target that is a data entry is refused.
    static std::uint32_t directory(std::uint32_t target)
    {
        if ((target & kHighBit) == 0)
            throw NoIcon{};
        return target & ~kHighBit;
    }

    // The data a language's target names: (rva, size). A target that is one
    // more directory would make a fourth level, and is refused.
    std::pair<std::uint32_t, std::uint32_t> data(std::uint32_t target) const
    {
        if ((target & kHighBit) != 0)
            throw NoIcon{};
        tree_.require(target, kResourceDataEntrySize);
        return {tree_.u32(target), tree_.u32(target + 4)};
    }

    // type -> first or given name -> first language -> data.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> find(std::uint32_t type,
                                                                std::optional<std::uint32_t> id) const
    {
        const std::optional<std::uint32_t> typeTarget = numbered(0, type);
        if (!typeTarget)
            return std::nullopt;
        const std::uint32_t names = directory(*typeTarget);
        const std::optional<std::uint32_t> nameTarget = id ? numbered(names, *id) : first(names);
        if (!nameTarget)
            return std::nullopt;
        const std::optional<std::uint32_t> languageTarget = first(directory(*nameTarget));
        if (!languageTarget)
            return std::nullopt;
        return data(*languageTarget);
    }

private:
    Bytes tree_;
};

std::optional<IconDirEntry> findIcon(std::span<const std::uint8_t> file)
{
    const ProgramFile program(file);
    const ResourceTree tree(program.tailFrom(program.resourceRva(), file));

    const auto group = tree.find(kIconGroupResource, std::nullopt);
    if (!group)
        return std::nullopt;
    const Bytes groupBytes(file.subspan(std::size_t(program.offsetOf(group->first, group->second)), group->second));
    const std::uint16_t count = groupBytes.u16(4);
    if (groupBytes.u16(2) != kIconFileType || count == 0)
        return std::nullopt;
    groupBytes.require(kGroupHeaderSize, count * kGroupEntrySize);

    IconDirectory directory;
    directory.type = kIconFileType;
    std::vector<std::uint16_t> ids;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = kGroupHeaderSize + i * kGroupEntrySize;
        IconDirEntry entry;
        entry.width = groupBytes.u16(at) & 0xFF;
        entry.height = groupBytes.u16(at) >> 8;
        entry.colorCount = groupBytes.u16(at + 2);
        entry.planes = groupBytes.u16(at + 4);
        entry.bitCount = groupBytes.u16(at + 6);
        entry.dataSize = groupBytes.u32(at + 8);
        directory.entries.push_back(entry);
        ids.push_back(groupBytes.u16(at + 12));
    }
    const std::size_t chosen = chooseIconEntry(directory);

    const auto member = tree.find(kIconResource, ids[chosen]);
    if (!member)
        return std::nullopt;
    const std::uint64_t offset = program.offsetOf(member->first, member->second);
    if (offset > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    IconDirEntry entry = directory.entries[chosen];
    entry.dataOffset = std::uint32_t(offset);
    entry.dataSize = member->second;
    return entry;
}

} // namespace

std::optional<IconDirEntry> findProgramIcon(std::span<const std::uint8_t> file)
{
    try {
        return findIcon(file);
    } catch (const NoIcon&) {
        return std::nullopt;
    }
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
