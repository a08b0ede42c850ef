#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace pimoko {

// Random access to the bytes of a file, for readers that take only the parts
// they need (a program's headers and resources) instead of the whole file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills `into` with the bytes from offset on, which the caller has seen
    // to lie within size(). A source that cannot deliver them throws its own
    // error (a file on disk: FileError).
    virtual void readAt(std::uint64_t offset, std::span<std::uint8_t> into) const = 0;
};

// Bytes already in memory as a source.
class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> into) const override
    {
        if (!into.empty())
            std::memcpy(into.data(), bytes_.data() + offset, into.size());
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// The count bytes at offset of the source. Calls Refuse, which throws the
// reader's own error, unless they all lie within it; so no more is ever
// allocated than the source holds.
template <void (*Refuse)()>
std::vector<std::uint8_t> fetchBytes(const ByteSource& source, std::uint64_t offset, std::uint64_t count)
{
    if (offset > source.size() || count > source.size() - offset)
        Refuse();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    source.readAt(offset, bytes);
    return bytes;
}

} // namespace pimoko
