// Time and peak memory of reading a PNG image that carries far more text than
// pixels: a 256 x 256 PNG with 100 zTXt chunks of 7.9 MB of text each (7.7 KB
// each compressed, 770 KB in all), as a PNG file of its own and as the one
// image of an icon, read by every command line verb that decodes it
// (--convert reads as the window's open does). Each run is the program as a
// process of its own under /usr/bin/time, whose small process is the only
// other one counted in the peak. The same files without the text are read
// beside them.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using Bytes = std::vector<std::uint8_t>;

namespace {

void put32(Bytes& out, std::uint32_t value)
{
    for (int shift : {24, 16, 8, 0})
        out.push_back(std::uint8_t(value >> shift));
}

void putChunk(Bytes& out, const char* name, const Bytes& data)
{
    put32(out, std::uint32_t(data.size()));
    const std::size_t named = out.size();
    out.insert(out.end(), name, name + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, std::uint32_t(crc32(0, out.data() + named, uInt(out.size() - named))));
}

Bytes deflated(const Bytes& data)
{
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), 9) != Z_OK)
        std::abort();
    out.resize(size);
    return out;
}

// A 256 x 256 RGBA picture of gradients with textCount zTXt chunks before
// its pixels.
Bytes pngWithText(int textCount)
{
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    put32(header, 256);
    put32(header, 256);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    putChunk(out, "IHDR", header);
    Bytes text{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    const Bytes compressed = deflated(Bytes(7'900'000, 'a'));
    text.insert(text.end(), compressed.begin(), compressed.end());
    for (int i = 0; i < textCount; ++i)
        putChunk(out, "zTXt", text);
    // Four flat colours, as an icon's large image often is: the pixels
    // take a few kilobytes, the text all the rest.
    Bytes rows;
    for (int y = 0; y < 256; ++y) {
        rows.push_back(0);
        for (int x = 0; x < 256; ++x)
            rows.insert(rows.end(), {std::uint8_t(x < 128 ? 255 : 0), std::uint8_t(y < 128 ? 255 : 0), 64, 255});
    }
    putChunk(out, "IDAT", deflated(rows));
    putChunk(out, "IEND", {});
    return out;
}

// An icon file whose one image is the PNG file.
Bytes iconOf(const Bytes& png)
{
    Bytes out{0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    for (std::uint32_t value : {std::uint32_t(png.size()), std::uint32_t(22)})
        for (int shift : {0, 8, 16, 24})
            out.push_back(std::uint8_t(value >> shift));
    out.insert(out.end(), png.begin(), png.end());
    return out;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

struct Sample {
    double milliseconds = 0;
    double peakMiB = 0;
};

// One run of the program with the arguments: its wall time and, as
// /usr/bin/time reports it, its peak resident memory.
Sample runProgram(std::vector<std::string> arguments, const std::string& peakFile)
{
    arguments.insert(arguments.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(stdout);  // else the child's exit would print it again
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr)
            std::_Exit(127);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    double peakKiB = 0;
    std::ifstream(peakFile) >> peakKiB;
    return {std::chrono::duration<double, std::milli>(end - start).count(), peakKiB / 1024};
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    const char* given = std::getenv("PNG_TEXT_RUNS");
    const int runs = given != nullptr ? std::max(1, std::atoi(given)) : 5;
    if (::access("/usr/bin/time", X_OK) != 0) {
        std::printf("PNG text: /usr/bin/time is not installed\n");
        return 0;
    }
    const auto folder = std::filesystem::temp_directory_path() / ("pimoko-bench-png-text-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string program = PIMOKO_PROGRAM;
    const std::string out = (folder / "out").string();
    const std::string peakFile = (folder / "peak").string();
    std::printf("PNG text: median of %d runs of the program (PNG_TEXT_RUNS sets the count)\n", runs);

    for (int textCount : {100, 0}) {
        const Bytes png = pngWithText(textCount);
        const std::string name = textCount == 0 ? "plain" : "text";
        const std::string pngPath = (folder / (name + ".png")).string();
        const std::string iconPath = (folder / (name + ".ico")).string();
        writeFile(pngPath, png);
        writeFile(iconPath, iconOf(png));
        if (textCount == 0)
            std::printf("-- the same without the text: %zu bytes of PNG\n", png.size());
        else
            std::printf("-- a 256 x 256 PNG with %d zTXt chunks of 7.9 MB of text: %zu bytes\n", textCount, png.size());
        const std::vector<std::string> commands[] = {
            {"--thumbnail", iconPath, out + ".png", "128"},
            {"--list", iconPath},
            {"--convert", out + ".bmp", iconPath},
            {"--pack", out + ".ico", pngPath},
        };
        for (const std::vector<std::string>& command : commands) {
            std::vector<double> times;
            std::vector<double> peaks;
            for (int run = 0; run < runs; ++run) {
                for (const char* extension : {".png", ".bmp", ".ico"})
                    std::filesystem::remove(out + extension);
                std::vector<std::string> arguments{program};
                arguments.insert(arguments.end(), command.begin(), command.end());
                const Sample sample = runProgram(arguments, peakFile);
                times.push_back(sample.milliseconds);
                peaks.push_back(sample.peakMiB);
            }
            const std::string what = "pimoko " + command[0] + (command[0] == "--pack" ? " of the PNG" : " of the icon");
            std::printf("%-40s median %8.1f ms   peak RSS %6.1f MiB\n", what.c_str(), median(times), median(peaks));
            std::fflush(stdout);
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
