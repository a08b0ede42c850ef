#include "app/cli/command_line.h"

#include "app/cli/convert.h"
#include "app/cli/list.h"
#include "app/cli/pack.h"
#include "app/cli/unpack.h"
#include "app/cli/thumbnail.h"
#include "files/model/file_names.h"

#include <algorithm>
#include <initializer_list>
#include <ostream>

#ifndef PIMOKO_VERSION
#define PIMOKO_VERSION "0"
#endif

namespace pimoko {

namespace {

using RunVerb = int (*)(const CommandLine& commandLine, std::ostream& out, std::ostream& err);
using AcceptsValue = bool (*)(std::string_view value);
using FindMistake = std::string (*)(const CommandLine& commandLine);

constexpr std::size_t kAnyNumber = std::size_t(-1);

// A verb: what the program does instead of opening the window. One row and
// one function each; the window is the row without a name.
struct Verb {
    std::string_view name = {};
    std::string_view alias = {};
    std::string_view value = {};            // the value it takes ("OUTPUT"); empty for none
    AcceptsValue accepts = nullptr;    // nullptr: any value
    std::string_view refusal = {};          // the mistake when `accepts` refuses the value
    std::string_view operands = {};         // the arguments that are no option, as the usage shows them
    std::size_t minOperands = 0;
    std::size_t maxOperands = 0;
    std::string_view help = {};             // lines after the first are indented as the first
    RunVerb run = nullptr;             // nullptr for the window
    bool immediate = false;            // runs as soon as it is met, whatever else is given
    FindMistake check = nullptr;       // the mistake only the whole line shows, if any
};

// An option that changes what a verb (or the window) does.
struct Option {
    std::string_view name = {};
    std::string_view value = {};
    AcceptsValue accepts = nullptr;
    std::string_view refusal = {};
    std::string_view verbs = {};            // the verbs taking it, separated by spaces; empty: the window
    std::string_view help = {};             // empty: not shown by --help
};

bool endsIn(std::string_view path, std::initializer_list<std::string_view> extensions)
{
    const std::string extension = lowerCaseExtension(std::string(path));
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool savesAsPicture(std::string_view path)
{
    return endsIn(path, {".ico", ".bmp", ".png"});
}

bool savesAsIcon(std::string_view path)
{
    return endsIn(path, {".ico", ".cur"});
}

bool isNamed(std::string_view path)
{
    return !path.empty();
}

bool isScale(std::string_view factor)
{
    const int value = parseWholeNumber(factor).value_or(0);
    return value >= 1 && value <= kMaxScale;
}

bool isHotspot(std::string_view point)
{
    return parseHotspot(point).has_value();
}

bool givesOption(const CommandLine& commandLine, std::string_view name)
{
    return std::any_of(commandLine.options.begin(), commandLine.options.end(),
                       [&](const GivenOption& option) { return option.name == name; });
}

std::string convertMistake(const CommandLine& commandLine)
{
    return givesOption(commandLine, "--scale") && !endsIn(commandLine.verbValue, {".png"})
        ? "--scale goes with a .png output"
        : std::string();
}

std::string packMistake(const CommandLine& commandLine)
{
    return givesOption(commandLine, "--hotspot") && !endsIn(commandLine.verbValue, {".cur"})
        ? "--hotspot goes with a .cur output"
        : std::string();
}

bool isCanvasSide(std::string_view side)
{
    return side == "16" || side == "20" || side == "32" || side == "64";
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
    {.name = "--rotate", .verbs = "--convert", .help = "turn the image right by 90 degrees"},
    {.name = "--mirror-lr", .verbs = "--convert", .help = "mirror it left to right"},
    {.name = "--mirror-tb", .verbs = "--convert", .help = "mirror it top to bottom"},
    {.name = "--size",
     .value = "N",
     .accepts = isCanvasSide,
     .refusal = "--size takes 16, 20, 32 or 64",
     .verbs = "--convert",
     .help = "stretch it to N x N pixels (16, 20, 32 or 64)"},
    {.name = "--scale",
     .value = "N",
     .accepts = isScale,
     .refusal = "--scale takes a whole number from 1 to 16",
     .verbs = "--convert",
     .help = "a .png output only: each pixel as an N x N block"},
    {.name = "--hotspot",
     .value = "X,Y",
     .accepts = isHotspot,
     .refusal = "--hotspot takes X,Y, two whole numbers such as 7,3",
     .verbs = "--pack",
     .help = "a .cur output only: a cursor with its hot spot at X,Y\n"
             "(from the top-left pixel); without it a .cur is written\n"
             "in icon layout, as the editor writes cursors"},
    {.name = "--force",
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

std::string spaced(std::string_view verbs, std::string_view separator)
{
    std::string text;
    for (const char c : verbs)
        text += c == ' ' ? std::string(separator) : std::string(1, c);
    return text;
}

CommandLine mistake(std::string text)
{
    CommandLine result;
    result.mistake = std::move(text);
    return result;
}

bool takes(std::string_view verb, const Option& option)
{
    return option.verbs.empty() ? verb.empty() : namesVerb(option.verbs, verb);
}

// The verb whose help lists the option; empty for the window's.
std::string_view firstVerb(const Option& option)
{
    return option.verbs.substr(0, option.verbs.find(' '));
}

// The mistake an option given with the verb chosen makes, if any.
std::string misplaced(const Option& option, std::string_view verb)
{
    if (takes(verb, option))
        return {};
    if (option.verbs.empty())
        return "'" + std::string(option.name) + "' is for the window, not for " + std::string(verb);
    return std::string(option.name) + " goes with " + spaced(option.verbs, " or ");
}

// "NAME VALUE", as usage and help show an option.
std::string withValue(std::string_view name, std::string_view value)
{
    return value.empty() ? std::string(name) : std::string(name) + ' ' + std::string(value);
}

void appendHelpLine(std::string& text, const std::string& label, std::string_view help)
{
    if (help.empty())
        return;
    constexpr std::size_t column = 20;
    text += "  " + label;
    text += label.size() + 2 < column - 1 ? std::string(column - 2 - label.size(), ' ') : '\n' + std::string(column, ' ');
    for (const char c : help) {
        text += c;
        if (c == '\n')
            text += std::string(column, ' ');
    }
    text += '\n';
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string> arguments)
{
    CommandLine result;
    const Verb* verb = &kVerbs[0];
    std::vector<const Option*> given;
    bool onlyOperands = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyOperands || argument.size() < 2 || argument[0] != '-') {
            result.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyOperands = true;
            continue;
        }
        // "--name=value" or "--name value".
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const bool inlineValue = equals != std::string::npos;
        // Reads the value of an option that takes `value`; the mistake if it cannot.
        const auto readValue = [&](std::string_view value, AcceptsValue accepts, std::string_view refusal,
                                   std::string& into) -> std::string {
            if (value.empty())
                return inlineValue ? name + " takes no value" : std::string();
            if (inlineValue)
                into = argument.substr(equals + 1);
            else if (i + 1 < arguments.size())
                into = arguments[++i];
            else
                return name + " needs " + std::string(value);
            return accepts && !accepts(into) ? std::string(refusal) : std::string();
        };
        std::string wrong;
        if (const Verb* met = findVerb(name)) {
            if (met->immediate) {
                result = {};
                result.verb = met->name;
                return result;
            }
            if (verb->run)
                return mistake(verb == met ? name + " is given twice"
                                           : std::string(verb->name) + " and " + name + " do not go together");
            verb = met;
            wrong = readValue(met->value, met->accepts, met->refusal, result.verbValue);
        } else if (const Option* option = findOption(name)) {
            given.push_back(option);
            result.options.push_back({option->name, {}});
            wrong = readValue(option->value, option->accepts, option->refusal, result.options.back().value);
        } else {
            wrong = "unknown option '" + name + "'";
        }
        if (!wrong.empty())
            return mistake(std::move(wrong));
    }

    for (const Option* option : given)
        if (std::string wrong = misplaced(*option, verb->name); !wrong.empty())
            return mistake(std::move(wrong));
    const std::size_t count = result.operands.size();
    if (count < verb->minOperands)
        return mistake(count == 0 ? "no input file" : std::string(verb->name) + " takes " + std::string(verb->operands));
    if (count > verb->maxOperands)
        return mistake(verb->maxOperands == 1 ? "more than one input file"
                                              : std::string(verb->name) + " takes " + std::string(verb->operands));
    result.verb = verb->name;
    if (verb->check)
        if (std::string wrong = verb->check(result); !wrong.empty())
            return mistake(std::move(wrong));
    if (!verb->run) {
        for (const GivenOption& option : result.options) {
            result.qtArguments.emplace_back(option.name);
            if (!findOption(option.name)->value.empty())
                result.qtArguments.push_back(option.value);
        }
        result.options.clear();
    }
    return result;
}

std::string helpText()
{
    std::string usage;
    std::string immediate;
    std::string options;
    for (const Verb& verb : kVerbs) {
        if (verb.immediate) {
            immediate += immediate.empty() ? verb.name : " | " + std::string(verb.name);
        } else {
            usage += usage.empty() ? "Usage: pimoko" : "       pimoko";
            if (!verb.name.empty())
                usage += ' ' + withValue(verb.name, verb.value);
            for (const Option& option : kOptions)
                if (!option.help.empty() && takes(verb.name, option))
                    usage += " [" + withValue(option.name, option.value) + ']';
            usage += ' ' + std::string(verb.operands) + '\n';
        }
        if (verb.name.empty())
            continue;
        appendHelpLine(options,
                       (verb.alias.empty() ? std::string() : std::string(verb.alias) + ", ") +
                           withValue(verb.name, verb.value.empty() ? verb.operands : verb.value),
                       verb.help);
        for (const Option& option : kOptions)
            if (!option.verbs.empty() && firstVerb(option) == verb.name)
                appendHelpLine(options, withValue(option.name, option.value), option.help);
    }
    // The window's options last.
    for (const Option& option : kOptions)
        if (option.verbs.empty())
            appendHelpLine(options, withValue(option.name, option.value), option.help);
    return usage + "       pimoko " + immediate + "\n\n" + std::string(kVerbs[0].help) + "\n\n" + options +
           "\n"
           "Exit status: 0 done, 1 input refused or unreadable (or no display for the\n"
           "window), 2 bad command line, 3 output cannot be written.\n";
}

std::optional<int> parseWholeNumber(std::string_view text)
{
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

std::string versionText()
{
    return "pimoko (ピモコ) " PIMOKO_VERSION "\n";
}

int runCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    const Verb* verb = findVerb(commandLine.verb);
    if (commandLine.mistake.empty() && verb && verb->run)
        return verb->run(commandLine, out, err);
    err << "pimoko: " << (commandLine.mistake.empty() ? "no verb to run" : commandLine.mistake)
        << "\nTry 'pimoko --help' for more information.\n";
    return ExitBadCommandLine;
}

} // namespace pimoko
