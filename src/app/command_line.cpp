#include "app/command_line.h"

#include "files/codec/bmp_reader.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_png.h"
#include "files/codec/icon_writer.h"
#include "files/codec/pe_icon.h"
#include "files/file_writer.h"
#include "files/model/file_names.h"
#include "files/model/file_descriptor.h"
#include "files/model/picture_reading.h"
#include "files/model/saved_file.h"
#include "operations/model/stretch.h"
#include "operations/model/transform.h"
#include "raster/icon_parts.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef PIMOKO_VERSION
#define PIMOKO_VERSION "0"
#endif

namespace pimoko {

namespace {

// Options of Qt's application object, passed on to it when the window opens.
bool isQtOption(std::string_view name, bool& takesValue)
{
    static constexpr std::string_view withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                     "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                                     "display", "name", "title", "geometry", "style", "stylesheet"};
    static constexpr std::string_view flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (std::string_view option : withValue)
        if (name == option)
            return takesValue = true;
    for (std::string_view option : flags)
        if (name == option) {
            takesValue = false;
            return true;
        }
    return false;
}

CommandLine mistake(std::string text)
{
    CommandLine result;
    result.action = CommandLine::Action::Mistake;
    result.mistake = std::move(text);
    return result;
}


std::uint16_t u16At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

// How an image's data is stored and its bits per pixel, from its own header.
struct StoredImage {
    const char* kind = "missing";
    int bits = 0;
};

StoredImage storedImage(std::span<const std::uint8_t> file, const IconDirEntry& entry)
{
    if (entry.dataOffset > file.size() || entry.dataSize > file.size() - entry.dataOffset)
        return {};
    const auto data = file.subspan(entry.dataOffset, entry.dataSize);
    if (hasPngSignature(data)) {
        // IHDR: bit depth and colour type at 24 and 25; bits = depth x channels.
        if (data.size() < 26)
            return {"PNG", 0};
        static constexpr int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = data[25];
        return {"PNG", type < 7 ? data[24] * channels[type] : 0};
    }
    return {"bitmap", data.size() >= 16 ? u16At(data, 14) : 0};
}

std::string imageLine(std::size_t index, bool chosen, const IconDirEntry& entry, const StoredImage& stored)
{
    char line[160];
    std::snprintf(line, sizeof line, "%c %2zu  %3d x %-3d  %5d colours  %2d bits  %-7s %7u bytes", chosen ? '*' : ' ',
                  index, entrySide(entry.width), entrySide(entry.height), entry.colorCount, stored.bits, stored.kind,
                  unsigned(entry.dataSize));
    return line;
}

int convert(const CommandLine& commandLine, std::ostream& err)
{
    std::variant<OpenedPicture, OpenRefusal> read;
    try {
        read = readPictureFile(commandLine.input);
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitRefused;
    }
    if (const auto* refusal = std::get_if<OpenRefusal>(&read)) {
        err << openRefusalText(*refusal) << '\n';
        return ExitRefused;
    }
    const PixelBuffer image = applySteps(std::get<OpenedPicture>(std::move(read)).picture, commandLine.steps);
    try {
        writeFileWhole(commandLine.output, savedFileBytes(image, *savedKindFor(commandLine.output)));
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitCannotWrite;
    }
    return ExitDone;
}

int list(const CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    try {
        for (const std::string& line : listImages(commandLine.input))
            out << line << '\n';
        return ExitDone;
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return ExitRefused;
    }
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string> arguments)
{
    CommandLine result;
    bool converting = false;
    bool listing = false;
    bool onlyFiles = false;
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyFiles || argument.size() < 2 || argument[0] != '-') {
            plain.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyFiles = true;
            continue;
        }
        // "--name=value" or "--name value".
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const bool inlineValue = equals != std::string::npos;
        const auto value = [&](std::string& into) {
            if (inlineValue)
                into = argument.substr(equals + 1);
            else if (i + 1 < arguments.size())
                into = arguments[++i];
            else
                return false;
            return true;
        };
        if (name == "--help" || name == "-h") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (name == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        if (name == "--convert") {
            if (converting || !value(result.output))
                return mistake(converting ? "--convert is given twice" : "--convert needs the output file");
            converting = true;
        } else if (name == "--list") {
            listing = true;
        } else if (name == "--rotate") {
            result.steps.push_back({ConvertStep::Kind::RotateRight});
        } else if (name == "--mirror-lr") {
            result.steps.push_back({ConvertStep::Kind::MirrorLeftRight});
        } else if (name == "--mirror-tb") {
            result.steps.push_back({ConvertStep::Kind::MirrorTopBottom});
        } else if (name == "--size") {
            std::string side;
            if (!value(side) || (side != "16" && side != "20" && side != "32" && side != "64"))
                return mistake("--size takes 16, 20, 32 or 64");
            result.steps.push_back({ConvertStep::Kind::Size, std::atoi(side.c_str())});
        } else {
            bool takesValue = false;
            const std::string_view bare = std::string_view(name).substr(name.starts_with("--") ? 2 : 1);
            if (!isQtOption(bare, takesValue))
                return mistake("unknown option '" + name + "'");
            result.qtArguments.push_back(argument);
            if (takesValue && !inlineValue) {
                if (i + 1 >= arguments.size())
                    return mistake("'" + name + "' needs a value");
                result.qtArguments.push_back(arguments[++i]);
            }
        }
    }

    if (converting && listing)
        return mistake("--convert and --list do not go together");
    if (!converting && !result.steps.empty())
        return mistake("--rotate, --mirror-lr, --mirror-tb and --size go with --convert");
    if (converting || listing) {
        if (!result.qtArguments.empty())
            return mistake("'" + result.qtArguments.front() + "' is for the window, not for --convert or --list");
        if (plain.size() != 1)
            return mistake(plain.empty() ? "no input file" : "more than one input file");
        result.input = plain.front();
    }
    if (converting) {
        const std::string extension = lowerCaseExtension(result.output);
        if (extension != ".ico" && extension != ".bmp")
            return mistake("the output file's name must end in .ico or .bmp");
        result.action = CommandLine::Action::Convert;
    } else if (listing) {
        result.action = CommandLine::Action::List;
    } else {
        result.files = std::move(plain);
    }
    return result;
}

std::string helpText()
{
    return "Usage: pimoko [FILE...]\n"
           "       pimoko --convert OUTPUT [--rotate] [--mirror-lr] [--mirror-tb] [--size 16|20|32|64] INPUT\n"
           "       pimoko --list FILE\n"
           "\n"
           "ピモコ, a pixel icon editor. Without options it opens its window and opens\n"
           "each FILE (.bmp, .ico, .cur or .exe) in turn.\n"
           "\n"
           "  --convert OUTPUT  read INPUT as the window opens it, run the operations in\n"
           "                    the order given and write OUTPUT as the save command does:\n"
           "                    an icon for .ico, a bitmap in the image's own format for\n"
           "                    .bmp; no window is opened\n"
           "  --rotate          turn the image right by 90 degrees\n"
           "  --mirror-lr       mirror it left to right\n"
           "  --mirror-tb       mirror it top to bottom\n"
           "  --size N          stretch it to N x N pixels (16, 20, 32 or 64)\n"
           "  --list FILE       list the images of an icon, cursor or program file;\n"
           "                    * marks the one the editor opens\n"
           "  --help            show this text\n"
           "  --version         show the version\n"
           "\n"
           "Exit status: 0 done, 1 input refused or unreadable, 2 bad command line,\n"
           "3 output cannot be written.\n";
}

std::string versionText()
{
    return "pimoko (ピモコ) " PIMOKO_VERSION "\n";
}

int runCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        out << helpText();
        return ExitDone;
    case CommandLine::Action::Version:
        out << versionText();
        return ExitDone;
    case CommandLine::Action::Convert:
        return convert(commandLine, err);
    case CommandLine::Action::List:
        return list(commandLine, out, err);
    case CommandLine::Action::Mistake:
    case CommandLine::Action::OpenWindow:
        break;
    }
    err << "pimoko: " << commandLine.mistake << "\nTry 'pimoko --help' for more information.\n";
    return ExitBadCommandLine;
}

PixelBuffer applySteps(PixelBuffer image, std::span<const ConvertStep> steps)
{
    for (const ConvertStep& step : steps) {
        switch (step.kind) {
        case ConvertStep::Kind::RotateRight:
            image = TransformImage(image, TransformMode::RotateRight);
            break;
        case ConvertStep::Kind::MirrorLeftRight:
            image = TransformImage(image, TransformMode::MirrorLeftRight);
            break;
        case ConvertStep::Kind::MirrorTopBottom:
            image = TransformImage(image, TransformMode::MirrorTopBottom);
            break;
        case ConvertStep::Kind::Size:
            // The enlarge/reduce dialog's OK: the stretched picture becomes
            // the document of the new canvas.
            image = stretchImage(image, step.side, step.side);
            break;
        }
    }
    return image;
}

std::vector<std::string> listImages(const std::string& path)
{
    const PictureKind kind = pictureKindFor(path);
    if (kind != PictureKind::Icon && kind != PictureKind::Cursor && kind != PictureKind::Program)
        throw FileError("--list reads icon (.ico), cursor (.cur) and program (.exe) files");
    const std::vector<std::uint8_t> file = readWholeFile(path);
    std::vector<std::string> lines;
    if (kind == PictureKind::Program) {
        const std::optional<ProgramIconGroup> group = readProgramIconGroup(file);
        if (!group)
            return {"no icon: the editor shows the generic application icon"};
        for (std::size_t i = 0; i < group->members.size(); ++i) {
            const ProgramIconGroup::Member& member = group->members[i];
            lines.push_back(imageLine(i, i == group->chosen, member.entry,
                                      member.found ? storedImage(file, member.entry) : StoredImage{}));
        }
        return lines;
    }
    const IconDirectory directory = readIconDirectory(file);
    // Only the icon layout is opened; the editor picks from it alone.
    const bool opened = directory.type == kIconFileType;
    const std::size_t chosen = opened ? chooseIconEntry(directory) : directory.entries.size();
    for (std::size_t i = 0; i < directory.entries.size(); ++i)
        lines.push_back(imageLine(i, i == chosen, directory.entries[i], storedImage(file, directory.entries[i])));
    return lines;
}

} // namespace pimoko
