#pragma once

#include "raster/point.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The program's command line. Everything under app/cli is plain C++ on the
// widget-free code: the verbs (--convert, --pack, --replace, --unpack,
// --list, --thumbnail, and --help and --version) run without Qt being
// loaded at all, so that a script converting many files pays for no more
// than reading and writing them.

namespace pimoko {

// Exit statuses of the command-line verbs.
enum ExitStatus : int {
    ExitDone = 0,
    ExitRefused = 1,
    ExitBadCommandLine = 2,
    ExitCannotWrite = 3,
};

// What each exit status means, as --help says it.
struct ExitMeaning {
    ExitStatus status;
    std::string_view meaning;
};
inline constexpr ExitMeaning kExitMeanings[] = {
    {ExitDone, "done"},
    {ExitRefused, "input refused or unreadable (or no display for the window)"},
    {ExitBadCommandLine, "bad command line"},
    {ExitCannotWrite, "output cannot be written"},
};

// What an option does, for the verb taking it; Qt's own are all Window.
enum class OptionId { Window, Rotate, MirrorLeftRight, MirrorTopBottom, Size, Scale, Hotspot, Force };

// An option's value as the option table has read it: none, a whole number
// (--size, --scale) or a point (--hotspot).
using OptionValue = std::variant<std::monostate, int, Point>;

// An option as given, with its value; `name` is the option table's own.
struct GivenOption {
    std::string_view name;
    std::string value;
    OptionId id = OptionId::Window;
    OptionValue typed;
};

struct CommandLine {
    // The verb ("--convert"); empty to open the window.
    std::string_view verb;
    // The verb's own value (--convert's OUTPUT).
    std::string verbValue;
    // The arguments that are no option: the verb's inputs, or the files the
    // window opens in turn.
    std::vector<std::string> operands;
    // The verb's options in the order given.
    std::vector<GivenOption> options;
    // The window only: Qt's own options, each name with its value as a
    // separate argument.
    std::vector<std::string> qtArguments;
    // When not empty, what is wrong with the command line, in one line.
    std::string mistake;

    bool opensWindow() const { return verb.empty() && mistake.empty(); }
    // The last option of that kind given, or nullptr.
    const GivenOption* given(OptionId id) const;
};

// Reads the arguments after the program name.
CommandLine parseCommandLine(std::span<const std::string> arguments);

// Runs a verb or reports a mistake, writing to `out` and `err`, and
// returns the exit status. Not for a command line that opens the window.
int runCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

// The value of a decimal whole number of one to five digits and nothing
// else; nullopt for any other text.
std::optional<int> parseWholeNumber(std::string_view text);

std::string helpText();
std::string versionText();

} // namespace pimoko
