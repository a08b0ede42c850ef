// Times the icon readers from the bytes of a file to the 32 x 32 picture the
// open command places: icon files with several images (bitmap and PNG
// entries) and program files (PE32 and PE32+).
#include "bench_timing.h"
#include "files/codec/icon_file.h"
#include "files/codec/pe_icon.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace pimoko;

namespace {

std::vector<std::uint8_t> readTestData(const std::string& name)
{
    const auto path = std::filesystem::path(__FILE__).parent_path() / "../tests/data" / name;
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main()
{
    struct Case {
        const char* what;
        const char* file;
        bool program;
    };
    const Case cases[] = {
        {"readIconPicture, 24/32/16 x 32-bit icon (ImageMagick)", "icons/imagemagick_sizes.ico", false},
        {"readIconPicture, 16 + 32 x 8-bit + 32 PNG icon", "icons/mixed_png.ico", false},
        {"readIconPicture, 48 x 8-bit icon, cut to 32", "icons/only48.ico", false},
        {"readProgramIconPicture, PE32, 16 + 32 x 4-bit group", "pe/pe32_icon.exe", true},
        {"readProgramIconPicture, PE32+, group with a PNG member", "pe/pe64_icon.exe", true},
        {"readProgramIconPicture, PE32+, no icon (generic)", "pe/pe64_no_icon.exe", true},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes = readTestData(c.file);
        if (bytes.empty()) {
            std::printf("%s: missing\n", c.file);
            return 1;
        }
        std::uint32_t sink = 0;
        const double us = medianMicroseconds(2000, [&] {
            const PixelBuffer picture = c.program ? readProgramIconPicture(bytes) : readIconPicture(bytes);
            sink += picture.pixel(31, 31);
        });
        report(c.what, us);
        if (sink == 1)
            std::printf(" ");
    }
    return 0;
}
