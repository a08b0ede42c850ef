#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pimoko {

// A view of a file's bytes that refuses any read beyond its end: every
// offset and count is checked first, without overflow, and a read that would
// go past the end calls Refuse, which throws the reader's own error.
template <void (*Refuse)()>
class BoundedBytes {
public:
    explicit BoundedBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // Only a view: bytes that would be gone after the statement are refused.
    explicit BoundedBytes(std::vector<std::uint8_t>&&) = delete;

    std::size_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // Refuses unless [offset, offset + count) lies inside the bytes.
    void require(std::uint64_t offset, std::uint64_t count) const
    {
        if (offset > bytes_.size() || count > bytes_.size() - offset)
            Refuse();
    }
    // The count bytes at offset.
    std::span<const std::uint8_t> slice(std::uint64_t offset, std::uint64_t count) const
    {
        require(offset, count);
        return bytes_.subspan(std::size_t(offset), std::size_t(count));
    }

    std::uint8_t u8(std::uint64_t offset) const { return slice(offset, 1)[0]; }
    std::uint16_t u16(std::uint64_t offset) const
    {
        const auto b = slice(offset, 2);
        return std::uint16_t(b[0] | (b[1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const
    {
        const auto b = slice(offset, 4);
        return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16)
            | (std::uint32_t(b[3]) << 24);
    }
    std::int32_t i32(std::uint64_t offset) const { return std::int32_t(u32(offset)); }

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace pimoko
