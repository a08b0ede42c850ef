#include "files/codec/pe_icon_group.h"

#include "files/codec/bounded_bytes.h"

#include <limits>
#include <utility>

namespace pimoko {

namespace {

constexpr std::uint32_t kIconResource = 3;        // RT_ICON
constexpr std::uint32_t kIconGroupResource = 14;  // RT_GROUP_ICON
constexpr std::uint32_t kHighBit = 0x80000000u;   // a name string, or a subdirectory
constexpr std::uint64_t kGroupHeaderSize = 6;
constexpr std::uint64_t kGroupEntrySize = 14;

// Ends the walk: something on the way is missing or lies outside the bytes.
struct Missing {};

[[noreturn]] void missing()
{
    throw Missing{};
}

// Little-endian reads that refuse to go past the end.
using Reader = BoundedBytes<missing>;

struct Section {
    std::uint32_t address = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// The program's headers: where its resources start and how its sections map
// addresses to file offsets.
class Program {
public:
    explicit Program(std::span<const std::uint8_t> file) : file_(file)
    {
        if (file_.u16(0) != 0x5A4D)  // "MZ"
            throw Missing{};
        const std::uint64_t pe = file_.u32(0x3C);
        if (file_.u32(pe) != 0x00004550)  // "PE\0\0"
            throw Missing{};
        const std::uint16_t sectionCount = file_.u16(pe + 6);
        const std::uint16_t optionalSize = file_.u16(pe + 20);
        const std::uint64_t optional = pe + 24;
        const std::uint16_t magic = file_.u16(optional);
        if (magic != 0x10B && magic != 0x20B)
            throw Missing{};
        const std::uint64_t countField = magic == 0x10B ? 92 : 108;
        const std::uint64_t resourceField = (magic == 0x10B ? 96 : 112) + 8 * 2;
        if (file_.u32(optional + countField) <= 2 || optionalSize < resourceField + 8)
            throw Missing{};
        resources_ = file_.u32(optional + resourceField);
        if (resources_ == 0)
            throw Missing{};
        const std::uint64_t table = optional + optionalSize;
        file_.require(table, sectionCount * std::uint64_t(40));
        for (std::uint64_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t at = table + i * 40;
            sections_.push_back({file_.u32(at + 12), file_.u32(at + 16), file_.u32(at + 20)});
        }
    }

    std::uint32_t resources() const { return resources_; }

    // The file offset of [rva, rva + count) inside one section's stored data.
    std::uint64_t offsetOf(std::uint32_t rva, std::uint64_t count) const
    {
        const Section& section = sectionOf(rva);
        const std::uint64_t within = rva - section.address;
        if (count > section.rawSize - within)
            throw Missing{};
        const std::uint64_t offset = std::uint64_t(section.rawOffset) + within;
        file_.require(offset, count);
        return offset;
    }

    std::span<const std::uint8_t> tailFrom(std::uint32_t rva) const
    {
        const Section& section = sectionOf(rva);
        const std::uint64_t count = section.rawSize - (rva - section.address);
        return file_.bytes().subspan(std::size_t(offsetOf(rva, count)), std::size_t(count));
    }

private:
    const Section& sectionOf(std::uint32_t rva) const
    {
        for (const Section& section : sections_)
            if (rva >= section.address && rva - section.address < section.rawSize)
                return section;
        throw Missing{};
    }

    Reader file_;
    std::uint32_t resources_ = 0;
    std::vector<Section> sections_;
};

// type -> the given number, or the first name (named entries first) ->
// first language -> (rva, size) of the data. Exactly three levels.
class Tree {
public:
    explicit Tree(std::span<const std::uint8_t> bytes) : tree_(bytes) {}

    std::optional<std::pair<std::uint32_t, std::uint32_t>> find(std::uint32_t type, std::optional<std::uint32_t> id) const
    {
        const auto typeTarget = numbered(0, type);
        if (!typeTarget)
            return std::nullopt;
        const std::uint32_t names = directory(*typeTarget);
        const auto nameTarget = id ? numbered(names, *id) : first(names);
        if (!nameTarget)
            return std::nullopt;
        const auto languageTarget = first(directory(*nameTarget));
        if (!languageTarget || (*languageTarget & kHighBit) != 0)
            throw Missing{};
        tree_.require(*languageTarget, 16);
        return std::pair{tree_.u32(*languageTarget), tree_.u32(*languageTarget + 4)};
    }

private:
    std::optional<std::uint32_t> numbered(std::uint32_t dir, std::uint32_t id) const
    {
        const std::uint64_t named = tree_.u16(dir + 12);
        const std::uint64_t count = tree_.u16(dir + 14);
        tree_.require(dir + 16, (named + count) * 8);
        for (std::uint64_t i = named; i < named + count; ++i) {
            const std::uint32_t name = tree_.u32(dir + 16 + i * 8);
            if ((name & kHighBit) == 0 && name == id)
                return tree_.u32(dir + 16 + i * 8 + 4);
        }
        return std::nullopt;
    }
    std::optional<std::uint32_t> first(std::uint32_t dir) const
    {
        if (tree_.u16(dir + 12) + tree_.u16(dir + 14) == 0)
            return std::nullopt;
        return tree_.u32(dir + 16 + 4);
    }
    static std::uint32_t directory(std::uint32_t target)
    {
        if ((target & kHighBit) == 0)
            throw Missing{};
        return target & ~kHighBit;
    }

    Reader tree_;
};

std::optional<ProgramIconGroup> readGroup(std::span<const std::uint8_t> file)
{
    const Program program(file);
    const Tree tree(program.tailFrom(program.resources()));
    const auto group = tree.find(kIconGroupResource, std::nullopt);
    if (!group)
        return std::nullopt;
    const Reader bytes(file.subspan(std::size_t(program.offsetOf(group->first, group->second)), group->second));
    const std::uint16_t count = bytes.u16(4);
    if (bytes.u16(2) != kIconFileType || count == 0)
        return std::nullopt;
    bytes.require(kGroupHeaderSize, count * kGroupEntrySize);

    ProgramIconGroup result;
    IconDirectory directory;
    directory.type = kIconFileType;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = kGroupHeaderSize + i * kGroupEntrySize;
        ProgramIconGroup::Member member;
        member.entry.width = bytes.u16(at) & 0xFF;
        member.entry.height = bytes.u16(at) >> 8;
        member.entry.colorCount = bytes.u16(at + 2);
        member.entry.planes = bytes.u16(at + 4);
        member.entry.bitCount = bytes.u16(at + 6);
        member.entry.dataSize = bytes.u32(at + 8);
        member.resourceId = bytes.u16(at + 12);
        directory.entries.push_back(member.entry);
        result.members.push_back(member);
    }
    result.chosen = chooseIconEntry(directory);

    for (ProgramIconGroup::Member& member : result.members) {
        try {
            const auto data = tree.find(kIconResource, member.resourceId);
            if (!data)
                continue;
            const std::uint64_t offset = program.offsetOf(data->first, data->second);
            if (offset > std::numeric_limits<std::uint32_t>::max())
                continue;
            member.entry.dataOffset = std::uint32_t(offset);
            member.entry.dataSize = data->second;
            member.found = true;
        } catch (const Missing&) {
        }
    }
    return result;
}

} // namespace

std::optional<ProgramIconGroup> readProgramIconGroup(std::span<const std::uint8_t> file)
{
    try {
        return readGroup(file);
    } catch (const Missing&) {
        return std::nullopt;
    }
}

} // namespace pimoko
