#pragma once

#include "app/cli/command_line.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pimoko {

using RunVerb = int (*)(const CommandLine& commandLine, std::ostream& out, std::ostream& err);
using AcceptsValue = bool (*)(std::string_view value);
using ReadValue = std::optional<OptionValue> (*)(std::string_view value);
using FindMistake = std::string (*)(const CommandLine& commandLine);

inline constexpr std::size_t kAnyNumber = std::size_t(-1);

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
    OptionId id = OptionId::Window;
    std::string_view value = {};
    ReadValue read = nullptr;               // nullptr: any value, kept as text only
    std::string_view refusal = {};          // the mistake when `read` refuses the value
    std::string_view verbs = {};            // the verbs taking it, separated by spaces; empty: the window
    std::string_view help = {};             // empty: not shown by --help
    bool once = false;                      // a second one is a mistake, as a second verb is
};

// Every verb, the window's row (no name) first; every option, Qt's too.
std::span<const Verb> verbTable();
std::span<const Option> optionTable();

// The row of a name as given on the command line, or nullptr.
const Verb* findVerb(std::string_view name);
const Option* findOption(std::string_view name);

// Whether the verb (empty: the window) takes the option.
bool takes(std::string_view verb, const Option& option);
// The verb whose help lists the option; empty for the window's.
std::string_view firstVerb(const Option& option);

} // namespace pimoko
