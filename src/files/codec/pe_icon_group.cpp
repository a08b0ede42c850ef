#include "files/codec/pe_icon_group.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/icon_choice.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <utility>

namespace pimoko {

namespace {

constexpr std::uint32_t kIconResource = 3;        // RT_ICON
constexpr std::uint32_t kIconGroupResource = 14;  // RT_GROUP_ICON
constexpr std::uint32_t kHighBit = 0x80000000u;   // a name string, or a subdirectory
constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kPeHeadSize = 24 + 2;     // signature, file header, optional header magic
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;
constexpr std::uint64_t kGroupHeaderSize = 6;
constexpr std::uint64_t kGroupEntrySize = 14;

// Ends the walk: something on the way is missing or lies outside the file.
struct Missing {};

[[noreturn]] void missing()
{
    throw Missing{};
}

// Little-endian reads of bytes already fetched, refusing to go past their end.
using Reader = BoundedBytes<missing>;

// The count bytes at offset of the file: each part of the program is read on
// its own, so that nothing else of the file is read or held.
std::vector<std::uint8_t> fetch(const ByteSource& file, std::uint64_t offset, std::uint64_t count)
{
    return fetchBytes<missing>(file, offset, count);
}

struct Section {
    std::uint32_t address = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// The program's headers: where its resources start and how its sections map
// addresses to file offsets.
class Program {
public:
    explicit Program(const ByteSource& file) : file_(file)
    {
        const std::vector<std::uint8_t> dosBytes = fetch(file, 0, kDosHeaderSize);
        const Reader dos(dosBytes);
        if (dos.u16(0) != 0x5A4D)  // "MZ"
            throw Missing{};
        const std::uint64_t pe = dos.u32(0x3C);
        const std::vector<std::uint8_t> headBytes = fetch(file, pe, kPeHeadSize);
        const Reader head(headBytes);
        if (head.u32(0) != 0x00004550)  // "PE\0\0"
            throw Missing{};
        const std::uint16_t sectionCount = head.u16(6);
        const std::uint16_t optionalSize = head.u16(20);
        const std::uint16_t magic = head.u16(24);
        if (magic != 0x10B && magic != 0x20B)
            throw Missing{};
        const std::uint64_t countField = magic == 0x10B ? 92 : 108;
        const std::uint64_t resourceField = (magic == 0x10B ? 96 : 112) + 8 * 2;
        if (optionalSize < resourceField + 8)
            throw Missing{};
        const std::uint64_t optionalAt = pe + 24;
        const std::vector<std::uint8_t> optionalBytes = fetch(file, optionalAt, resourceField + 8);
        const Reader optional(optionalBytes);
        if (optional.u32(countField) <= 2)
            throw Missing{};
        resources_ = optional.u32(resourceField);
        if (resources_ == 0)
            throw Missing{};
        const std::vector<std::uint8_t> tableBytes =
            fetch(file, optionalAt + optionalSize, sectionCount * kSectionHeaderSize);
        const Reader table(tableBytes);
        for (std::uint64_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t at = i * kSectionHeaderSize;
            sections_.push_back({table.u32(at + 12), table.u32(at + 16), table.u32(at + 20)});
        }
    }

    const ByteSource& file() const { return file_; }
    std::uint32_t resources() const { return resources_; }

    // The file offset of [rva, rva + count) inside one section's stored data.
    std::uint64_t offsetOf(std::uint32_t rva, std::uint64_t count) const
    {
        const Section& section = sectionOf(rva);
        const std::uint64_t within = rva - section.address;
        if (count > section.rawSize - within)
            throw Missing{};
        const std::uint64_t offset = std::uint64_t(section.rawOffset) + within;
        if (offset > file_.size() || count > file_.size() - offset)
            throw Missing{};
        return offset;
    }

    // How many bytes of its section's stored data lie from rva on.
    std::uint64_t restOfSection(std::uint32_t rva) const
    {
        const Section& section = sectionOf(rva);
        return section.rawSize - (rva - section.address);
    }

private:
    const Section& sectionOf(std::uint32_t rva) const
    {
        for (const Section& section : sections_)
            if (rva >= section.address && rva - section.address < section.rawSize)
                return section;
        throw Missing{};
    }

    const ByteSource& file_;
    std::uint32_t resources_ = 0;
    std::vector<Section> sections_;
};

// The resource tree, read a directory at a time from the stored data of the
// section it starts in: type -> name -> language -> (rva, size) of the data.
// Walked exactly three levels deep, so a directory pointing back at itself
// cannot make the walk go round.
class Tree {
public:
    explicit Tree(const Program& program)
        : file_(program.file())
        , length_(program.restOfSection(program.resources()))
        , base_(program.offsetOf(program.resources(), length_))
    {
    }

    // The entries of the directory at dir, as (name, target) pairs: the named
    // ones first, as stored.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries(std::uint32_t dir, bool namedToo = true) const
    {
        const std::vector<std::uint8_t> headerBytes = read(dir, kDirectoryHeaderSize);
        const Reader header(headerBytes);
        const std::uint64_t named = header.u16(12);
        const std::uint64_t count = header.u16(14);
        const std::uint64_t skipped = namedToo ? 0 : named;
        const std::uint64_t first = dir + kDirectoryHeaderSize + skipped * kDirectoryEntrySize;
        const std::vector<std::uint8_t> bytes = read(first, (named + count - skipped) * kDirectoryEntrySize);
        const Reader list(bytes);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> result;
        for (std::uint64_t at = 0; at < bytes.size(); at += kDirectoryEntrySize)
            result.emplace_back(list.u32(at), list.u32(at + 4));
        return result;
    }

    // The target of the numbered entry `id` of the directory at dir.
    std::optional<std::uint32_t> numbered(std::uint32_t dir, std::uint32_t id) const
    {
        for (const auto& [name, target] : entries(dir, false))
            if ((name & kHighBit) == 0 && name == id)
                return target;
        return std::nullopt;
    }

    // The target of the first entry of the directory at dir, named or not.
    std::optional<std::uint32_t> first(std::uint32_t dir) const
    {
        const std::vector<std::uint8_t> headerBytes = read(dir, kDirectoryHeaderSize);
        const Reader header(headerBytes);
        if (header.u16(12) + header.u16(14) == 0)
            return std::nullopt;
        const std::vector<std::uint8_t> entryBytes = read(dir + kDirectoryHeaderSize, kDirectoryEntrySize);
        return Reader(entryBytes).u32(4);
    }

    // The (rva, size) of the data that the first language of a name leads to.
    std::pair<std::uint32_t, std::uint32_t> data(std::uint32_t nameTarget) const
    {
        const auto languageTarget = first(directory(nameTarget));
        if (!languageTarget || (*languageTarget & kHighBit) != 0)
            throw Missing{};
        const std::vector<std::uint8_t> bytes = read(*languageTarget, kDataEntrySize);
        const Reader entry(bytes);
        return {entry.u32(0), entry.u32(4)};
    }

    static std::uint32_t directory(std::uint32_t target)
    {
        if ((target & kHighBit) == 0)
            throw Missing{};
        return target & ~kHighBit;
    }

private:
    std::vector<std::uint8_t> read(std::uint64_t offset, std::uint64_t count) const
    {
        if (offset > length_ || count > length_ - offset)
            throw Missing{};
        return fetch(file_, base_ + offset, count);
    }

    const ByteSource& file_;
    std::uint64_t length_;
    std::uint64_t base_;
};

// Finds a member's icon resource and points its entry at the data.
void locate(const Program& program, const Tree& tree, const std::unordered_map<std::uint32_t, std::uint32_t>& icons,
            ProgramIconGroup::Member& member)
{
    const auto name = icons.find(member.resourceId);
    if (name == icons.end())
        return;
    try {
        const auto [rva, size] = tree.data(name->second);
        const std::uint64_t offset = program.offsetOf(rva, size);
        if (offset > std::numeric_limits<std::uint32_t>::max())
            return;
        member.entry.dataOffset = std::uint32_t(offset);
        member.entry.dataSize = size;
        member.found = true;
    } catch (const Missing&) {
    }
}

std::optional<ProgramIconGroup> readGroup(const ByteSource& file, bool chosenOnly)
{
    const Program program(file);
    const Tree tree(program);
    const auto groupType = tree.numbered(0, kIconGroupResource);
    if (!groupType)
        return std::nullopt;
    const auto groupName = tree.first(Tree::directory(*groupType));
    if (!groupName)
        return std::nullopt;
    const auto [groupRva, groupSize] = tree.data(*groupName);
    const std::uint64_t groupOffset = program.offsetOf(groupRva, groupSize);
    const std::vector<std::uint8_t> groupHeaderBytes =
        fetch(file, groupOffset, std::min<std::uint64_t>(groupSize, kGroupHeaderSize));
    const Reader groupHeader(groupHeaderBytes);
    const std::uint16_t count = groupHeader.u16(4);
    if (groupHeader.u16(2) != kIconFileType || count == 0)
        return std::nullopt;
    if (groupSize < kGroupHeaderSize + count * kGroupEntrySize)
        throw Missing{};
    const std::vector<std::uint8_t> groupBytes = fetch(file, groupOffset + kGroupHeaderSize, count * kGroupEntrySize);
    const Reader group(groupBytes);

    ProgramIconGroup result;
    IconDirectory directory;
    directory.type = kIconFileType;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = i * kGroupEntrySize;
        ProgramIconGroup::Member member;
        member.entry.width = group.u16(at) & 0xFF;
        member.entry.height = group.u16(at) >> 8;
        member.entry.colorCount = group.u16(at + 2);
        member.entry.planes = group.u16(at + 4);
        member.entry.bitCount = group.u16(at + 6);
        member.entry.dataSize = group.u32(at + 8);
        member.resourceId = group.u16(at + 12);
        directory.entries.push_back(member.entry);
        result.members.push_back(member);
    }
    result.chosen = chooseIconEntry(directory);

    // The icon resources by number, read once: the first entry of a number wins.
    std::unordered_map<std::uint32_t, std::uint32_t> icons;
    try {
        if (const auto iconType = tree.numbered(0, kIconResource))
            for (const auto& [name, target] : tree.entries(Tree::directory(*iconType), false))
                if ((name & kHighBit) == 0)
                    icons.emplace(name, target);
    } catch (const Missing&) {
    }
    if (chosenOnly)
        locate(program, tree, icons, result.members[result.chosen]);
    else
        for (ProgramIconGroup::Member& member : result.members)
            locate(program, tree, icons, member);
    return result;
}

} // namespace

std::optional<ProgramIconGroup> readProgramIconGroup(std::span<const std::uint8_t> file)
{
    return readProgramIconGroup(SpanSource(file));
}

std::optional<ProgramIconGroup> readProgramIconGroup(const ByteSource& file, GroupMembers members)
{
    try {
        return readGroup(file, members == GroupMembers::ChosenOnly);
    } catch (const Missing&) {
        return std::nullopt;
    }
}

} // namespace pimoko
