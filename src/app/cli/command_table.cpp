// The command line's verbs and options, one row each: what each takes, the
// checks on its values, its help, and the function that runs it. Parsing
// and --help (command_line.cpp) read nothing else.
#include "app/cli/command_table.h"

#include "app/cli/convert.h"
#include "app/cli/list.h"
#include "app/cli/pack.h"
#include "app/cli/replace.h"
#include "app/cli/thumbnail.h"
#include "app/cli/unpack.h"
#include "files/model/file_names.h"

#include <algorithm>
#include <initializer_list>
#include <ostream>

namespace pimoko {

namespace {

bool endsIn(std::string_view path, std::initializer_list<std::string_view> extensions)
{
    const std::string extension = lowerCaseExtension(std::string(path));
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool savesAsPicture(std::string_view path)
{
    return convertOutputFor(std::string(path)).has_value();
}

bool savesAsIcon(std::string_view path)
{
    return endsIn(path, {".ico", ".cur"});
}

bool isIconFile(std::string_view path)
{
    return endsIn(path, {".ico"});
}

bool isNamed(std::string_view path)
{
    return !path.empty();
}

std::optional<OptionValue> readScale(std::string_view factor)
{
    const int value = parseWholeNumber(factor).value_or(0);
    if (value < 1 || value > kMaxScale)
        return std::nullopt;
    return value;
}

std::optional<OptionValue> readHotspot(std::string_view point)
{
    const std::optional<Point> hotspot = parseHotspot(point);
    if (!hotspot)
        return std::nullopt;
    return *hotspot;
}

std::optional<OptionValue> readCanvasSide(std::string_view side)
{
    if (side != "16" && side != "20" && side != "32" && side != "64")
        return std::nullopt;
    return *parseWholeNumber(side);
}

std::string convertMistake(const CommandLine& commandLine)
{
    return commandLine.given(OptionId::Scale) && convertOutputFor(commandLine.verbValue) != ConvertOutput::Png
        ? "--scale goes with a .png output"
        : std::string();
}

std::string packMistake(const CommandLine& commandLine)
{
    return commandLine.given(OptionId::Hotspot) && !endsIn(commandLine.verbValue, {".cur"})
        ? "--hotspot goes with a .cur output"
        : std::string();
}

int printHelp(const CommandLine&, std::ostream& out, std::ostream&)
{
    out << helpText();
    return ExitDone;
}

int printVersion(const CommandLine&, std::ostream& out, std::ostream&)
{
    out << versionText();
    return ExitDone;
}

constexpr Verb kVerbs[] = {
    {.operands = "[FILE...]",
     .maxOperands = kAnyNumber,
     .help = "ピモコ, a pixel icon editor. Without a verb it opens its window and opens\n"
             "each FILE (.bmp, .ico, .cur or .exe) in turn. Qt's own options (-style NAME,\n"
             "-reverse, ...) are passed to the window."},
    {.name = "--convert",
     .value = "OUTPUT",
     .accepts = savesAsPicture,
     .refusal = "the output file's name must end in .ico, .bmp or .png",
     .operands = "INPUT",
     .minOperands = 1,
     .maxOperands = 1,
     .help = "read INPUT as the window opens it, run the operations in\n"
             "the order given and write OUTPUT as the save command does:\n"
             "an icon for .ico, a bitmap in the image's own format for\n"
             ".bmp, the picture the editor shows, opaque, for .png; no\n"
             "window is opened\n"
             "e.g. pimoko --convert big.png --scale 8 drawing.bmp",
     .run = runConvert,
     .check = convertMistake},
    {.name = "--pack",
     .value = "OUTPUT",
     .accepts = savesAsIcon,
     .refusal = "the output file's name must end in .ico or .cur",
     .operands = "INPUT...",
     .minOperands = 1,
     .maxOperands = kAnyNumber,
     .help = "write one icon holding one image per INPUT, in the order\n"
             "given: .bmp, .ico, .cur and .exe as the window opens them,\n"
             "the top-left colour transparent; .png (up to 256 x 256)\n"
             "with its own alpha; each in the fewest bits that keep it\n"
             "e.g. pimoko --pack app.ico app16.png app32.png app256.png",
     .run = runPack,
     .check = packMistake},
    {.name = "--replace",
     .value = "ICON",
     .accepts = isIconFile,
     .refusal = "the icon file's name must end in .ico",
     .operands = "PICTURE",
     .minOperands = 1,
     .maxOperands = 1,
     .help = "put PICTURE, read and stored as --pack does, into the icon\n"
             "file ICON in place of its image of the same size and depth,\n"
             "or beside its images when it has none; every other image\n"
             "stays byte for byte\n"
             "e.g. pimoko --replace app.ico app32.bmp",
     .run = runReplace},
    {.name = "--unpack",
     .value = "FOLDER",
     .accepts = isNamed,
     .refusal = "the folder's name is empty",
     .operands = "INPUT",
     .minOperands = 1,
     .maxOperands = 1,
     .help = "write each image of an icon, cursor or program file (a\n"
             "bitmap's one picture) into FOLDER as NAME-WxH-BITS.png,\n"
             "with its alpha; a second image of the same name gets -2,\n"
             "a third -3\n"
             "e.g. pimoko --unpack parts app.ico",
     .run = runUnpack},
    {.name = "--list",
     .operands = "FILE",
     .minOperands = 1,
     .maxOperands = 1,
     .help = "list the images of an icon, cursor or program file;\n"
             "* marks the one the editor opens; a PNG file in one line",
     .run = runList},
    {.name = "--thumbnail",
     .operands = "INPUT OUTPUT.png SIZE",
     .minOperands = 3,
     .maxOperands = 3,
     .help = "write a PNG picture of INPUT no larger than SIZE x SIZE\n"
             "(16 to 1024) for file managers: the image of an icon,\n"
             "cursor or program that best fits SIZE, with its alpha, or a\n"
             "bitmap; a program without an icon writes nothing",
     .run = runThumbnail},
    {.name = "--help", .alias = "-h", .help = "show this text", .run = printHelp, .immediate = true},
    {.name = "--version", .help = "show the version", .run = printVersion, .immediate = true},
};

constexpr Option kOptions[] = {
    {.name = "--rotate", .id = OptionId::Rotate, .verbs = "--convert", .help = "turn the image right by 90 degrees"},
    {.name = "--mirror-lr", .id = OptionId::MirrorLeftRight, .verbs = "--convert", .help = "mirror it left to right"},
    {.name = "--mirror-tb", .id = OptionId::MirrorTopBottom, .verbs = "--convert", .help = "mirror it top to bottom"},
    {.name = "--size",
     .id = OptionId::Size,
     .value = "N",
     .read = readCanvasSide,
     .refusal = "--size takes 16, 20, 32 or 64",
     .verbs = "--convert",
     .help = "stretch it to N x N pixels (16, 20, 32 or 64)"},
    {.name = "--scale",
     .id = OptionId::Scale,
     .value = "N",
     .read = readScale,
     .refusal = "--scale takes a whole number from 1 to 16",
     .verbs = "--convert",
     .help = "a .png output only: each pixel as an N x N block",
     .once = true},
    {.name = "--hotspot",
     .id = OptionId::Hotspot,
     .value = "X,Y",
     .read = readHotspot,
     .refusal = "--hotspot takes X,Y, two whole numbers such as 7,3",
     .verbs = "--pack",
     .help = "a .cur output only: a cursor with its hot spot at X,Y\n"
             "(from the top-left pixel); without it a .cur is written\n"
             "in icon layout, as the editor writes cursors",
     .once = true},
    {.name = "--force",
     .id = OptionId::Force,
     .verbs = "--unpack",
     .help = "replace files of the same names; without it nothing is\n"
             "written when any of them exists"},
    // Qt's own options, for the window's application object.
    {.name = "-platform",
     .value = "NAME",
     .help = "the window system plugin (xcb for X11, wayland); without\n"
             "it X11 where DISPLAY is set, else Wayland"},
    {.name = "-platformpluginpath", .value = "PATH"},
    {.name = "-platformtheme", .value = "NAME"},
    {.name = "-plugin", .value = "NAME"},
    {.name = "-qwindowgeometry", .value = "GEOMETRY"},
    {.name = "-qwindowicon", .value = "FILE"},
    {.name = "-qwindowtitle", .value = "TITLE"},
    {.name = "-session", .value = "NAME"},
    {.name = "-display", .value = "DISPLAY"},
    {.name = "-name", .value = "NAME"},
    {.name = "-title", .value = "TITLE"},
    {.name = "-geometry", .value = "GEOMETRY"},
    {.name = "-style", .value = "NAME"},
    {.name = "-stylesheet", .value = "FILE"},
    {.name = "-reverse"},
    {.name = "-widgetcount"},
    {.name = "-nograb"},
    {.name = "-dograb"},
    {.name = "-sync"},
};

// Whether `verbs`, names separated by spaces, holds `verb`.
bool namesVerb(std::string_view verbs, std::string_view verb)
{
    while (!verbs.empty()) {
        const std::size_t space = verbs.find(' ');
        if (verbs.substr(0, space) == verb)
            return true;
        verbs = space == std::string_view::npos ? std::string_view() : verbs.substr(space + 1);
    }
    return false;
}

} // namespace

std::span<const Verb> verbTable()
{
    return kVerbs;
}

std::span<const Option> optionTable()
{
    return kOptions;
}

const Verb* findVerb(std::string_view name)
{
    for (const Verb& verb : kVerbs)
        if (name == verb.name || (!verb.alias.empty() && name == verb.alias))
            return &verb;
    return nullptr;
}

// Qt takes its options with one dash or two.
const Option* findOption(std::string_view name)
{
    for (const Option& option : kOptions)
        if (name == option.name || (!option.name.starts_with("--") && name == "-" + std::string(option.name)))
            return &option;
    return nullptr;
}

bool takes(std::string_view verb, const Option& option)
{
    return option.verbs.empty() ? verb.empty() : namesVerb(option.verbs, verb);
}

std::string_view firstVerb(const Option& option)
{
    return option.verbs.substr(0, option.verbs.find(' '));
}

} // namespace pimoko
