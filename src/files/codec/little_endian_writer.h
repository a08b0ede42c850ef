#pragma once

#include <cstdint>
#include <vector>

namespace pimoko {

// Appends little-endian numbers to a byte vector, as the file writers need.
class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void u8(std::uint32_t value) { out_.push_back(std::uint8_t(value & 0xFF)); }
    void u16(std::uint32_t value)
    {
        u8(value);
        u8(value >> 8);
    }
    void u32(std::uint32_t value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }

private:
    std::vector<std::uint8_t>& out_;
};

} // namespace pimoko
