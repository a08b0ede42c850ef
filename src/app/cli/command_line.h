#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The program's command line. Everything under app/cli is plain C++ on the
// widget-free code: the verbs (--convert, --list, --help, --version) run
// without Qt being loaded at all, so that a script converting many files
// pays for no more than reading and writing them.

namespace pimoko {

// Exit statuses of the command-line verbs.
enum ExitStatus : int {
    ExitDone = 0,
    ExitRefused = 1,         // the input is refused, unreadable or not a picture
    ExitBadCommandLine = 2,
    ExitCannotWrite = 3,     // the output cannot be written
};

// An option as given, with its value; `name` is the option table's own.
struct GivenOption {
    std::string_view name;
    std::string value;
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
