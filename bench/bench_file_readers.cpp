// Times the file readers on pictures of the largest size the editor opens,
// from bytes already in memory (no disk access is timed).
#include "bench_timing.h"
#include "files/codec/bmp_reader.h"

#include <cstdint>
#include <vector>

using namespace pimoko;

namespace {

using Bytes = std::vector<std::uint8_t>;

volatile std::uint32_t sink = 0;

void put16(Bytes& out, unsigned value)
{
    out.push_back(std::uint8_t(value & 0xFF));
    out.push_back(std::uint8_t((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// ---------------------------------------------------------------------------
// Bitmap reader (files/codec/bmp_reader.h)
// ---------------------------------------------------------------------------

// An uncompressed bitmap file of width x height at 8 (grey table) or 24 bits,
// every pixel different from its neighbours.
Bytes bitmapFile(int width, int height, int bits)
{
    const std::uint32_t tableSize = bits == 8 ? 256 * 4 : 0;
    const std::uint32_t stride = (std::uint32_t(width) * std::uint32_t(bits) + 31) / 32 * 4;
    const std::uint32_t offset = 14 + 40 + tableSize;
    Bytes file{'B', 'M'};
    put32(file, offset + stride * std::uint32_t(height));
    put32(file, 0);
    put32(file, offset);
    put32(file, 40);
    put32(file, std::uint32_t(width));
    put32(file, std::uint32_t(height));
    put16(file, 1);
    put16(file, unsigned(bits));
    for (int i = 0; i < 6; ++i)
        put32(file, 0);
    for (std::uint32_t i = 0; i < tableSize / 4; ++i)
        put32(file, i * 0x010101u);
    for (int y = 0; y < height; ++y) {
        Bytes row(stride, 0);
        for (std::uint32_t i = 0; i < std::uint32_t(width) * std::uint32_t(bits) / 8; ++i)
            row[i] = std::uint8_t(i * 7 + std::uint32_t(y) * 13);
        file.insert(file.end(), row.begin(), row.end());
    }
    return file;
}

void benchBitmapReader()
{
    for (int bits : {24, 8}) {
        const Bytes file = bitmapFile(64, 64, bits);
        const char* what = bits == 24 ? "readBitmapFile, 64 x 64, 24 bits" : "readBitmapFile, 64 x 64, 8 bits";
        report(what, medianMicroseconds(5000, [&] {
                   const PixelBuffer image = readBitmapFile(file);
                   sink = sink + image.pixel(63, 63);
               }));
    }
}

} // namespace

int main()
{
    benchBitmapReader();
    return 0;
}
