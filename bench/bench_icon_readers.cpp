// Times the icon readers from the bytes of a file to the 32 x 32 picture the
// open command places: icon files with several images (bitmap and PNG
// entries) and program files (PE32 and PE32+); then the open command's
// reading of program files from disk, which reads their headers and chosen
// image alone, for a small program and for one grown to 4 GiB by a hole.
#include "bench_timing.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_picture.h"
#include "files/codec/pe_icon.h"
#include "files/model/picture_reading.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace pimoko;

namespace {

std::vector<std::uint8_t> readTestData(const std::string& name)
{
    const auto path = std::filesystem::path(PIMOKO_BENCH_DATA_DIR) / name;
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

    // The same program as a file, and grown to 4 GiB: a hole after it takes
    // no disk, and a reader that took the file whole would read 4 GiB.
    const std::vector<std::uint8_t> program = readTestData("pe/pe64_icon.exe");
    char huge[] = "/tmp/pimoko-bench-XXXXXX.exe";
    const int fd = ::mkstemps(huge, 4);
    if (fd < 0 || ::write(fd, program.data(), program.size()) != ssize_t(program.size())
        || ::ftruncate(fd, off_t(4) << 30) != 0) {
        std::printf("cannot make %s\n", huge);
        return 1;
    }
    ::close(fd);
    const std::string small = PIMOKO_BENCH_DATA_DIR "/pe/pe64_icon.exe";
    const std::pair<const char*, std::string> opened[] = {
        {"readPictureFile, PE32+ program (5 KiB) from disk", small},
        {"readPictureFile, PE32+ program grown to 4 GiB from disk", huge},
    };
    for (const auto& [what, path] : opened) {
        std::uint32_t sink = 0;
        report(what, medianMicroseconds(2000, [&] {
                   const auto read = readPictureFile(path);
                   sink += std::get<OpenedPicture>(read).picture.pixel(31, 31);
               }));
        if (sink == 1)
            std::printf(" ");
    }
    ::unlink(huge);
    return 0;
}
