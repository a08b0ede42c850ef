#include "app/cli/command_line.h"

#include "app/cli/convert.h"
#include "app/cli/list.h"
#include "app/cli/thumbnail.h"
#include "files/model/file_names.h"

#include <ostream>

#ifndef PIMOKO_VERSION
#define PIMOKO_VERSION "0"
#endif

namespace pimoko {

namespace {

using RunVerb = int (*)(const CommandLine& commandLine, std::ostream& out, std::ostream& err);
using AcceptsValue = bool (*)(std::string_view value);

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

bool savesAsPicture(std::string_view path)
{
    const std::string extension = lowerCaseExtension(std::string(path));
    return extension == ".ico" || extension == ".bmp";
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
     .refusal = "the output file's name must end in .ico or .bmp",
     .operands = "INPUT",
     .minOperands = 1,
     .maxOperands = 1,
     .help = "read INPUT as the window opens it, run the operations in\n"
             "the order given and write OUTPUT as the save command does:\n"
             "an icon for .ico, a bitmap in the image's own format for\n"
             ".bmp; no window is opened",
     .run = runConvert},
    {.name = "--list",
     .operands = "FILE",
     .minOperands = 1,
     .maxOperands = 1,
     .help = "list the images of an icon, cursor or program file;\n"
             "* marks the one the editor opens",
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
