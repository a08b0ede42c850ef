#include "app/cli/command_line.h"

#include "app/cli/command_table.h"

#include <algorithm>
#include <initializer_list>
#include <ostream>

#ifndef PIMOKO_VERSION
#define PIMOKO_VERSION "0"
#endif

namespace pimoko {

namespace {

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

// The text (ASCII) in lines of at most `width` characters, broken at spaces.
std::string wrapped(std::string_view text, std::size_t width)
{
    std::string lines;
    std::size_t column = 0;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        if (column > 0 && column + 1 + word.size() > width) {
            lines += '\n';
            column = 0;
        } else if (column > 0) {
            lines += ' ';
            ++column;
        }
        lines += word;
        column += word.size();
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    }
    return lines;
}

// The mistake of the first name among the arguments (up to "--") that is
// neither a verb nor an option, if any; the values of options are skipped.
std::string unknownOption(std::span<const std::string> arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--")
            break;
        if (argument.size() < 2 || argument[0] != '-')
            continue;
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const Verb* verb = findVerb(name);
        const Option* option = verb ? nullptr : findOption(name);
        if (!verb && !option)
            return "unknown option '" + name + "'";
        const std::string_view value = verb ? verb->value : option->value;
        if (!value.empty() && equals == std::string::npos)
            ++i;
    }
    return {};
}

} // namespace

const GivenOption* CommandLine::given(OptionId id) const
{
    const GivenOption* found = nullptr;
    for (const GivenOption& option : options)
        if (option.id == id)
            found = &option;
    return found;
}

CommandLine parseCommandLine(std::span<const std::string> arguments)
{
    CommandLine result;
    const Verb* verb = &verbTable().front();
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
        const auto readValue = [&](std::string_view value, std::string& into) -> std::string {
            if (value.empty())
                return inlineValue ? name + " takes no value" : std::string();
            if (inlineValue)
                into = argument.substr(equals + 1);
            else if (i + 1 < arguments.size())
                into = arguments[++i];
            else
                return name + " needs " + std::string(value);
            return {};
        };
        std::string wrong;
        if (const Verb* met = findVerb(name)) {
            if (met->immediate) {
                if (std::string unknown = unknownOption(arguments.subspan(i + 1)); !unknown.empty())
                    return mistake(std::move(unknown));
                result = {};
                result.verb = met->name;
                return result;
            }
            if (verb->run)
                return mistake(verb == met ? name + " is given twice"
                                           : std::string(verb->name) + " and " + name + " do not go together");
            verb = met;
            wrong = readValue(met->value, result.verbValue);
            if (wrong.empty() && met->accepts && !met->accepts(result.verbValue))
                wrong = met->refusal;
        } else if (const Option* option = findOption(name)) {
            if (option->once && std::find(given.begin(), given.end(), option) != given.end())
                return mistake(name + " is given twice");
            given.push_back(option);
            GivenOption& read = result.options.emplace_back(GivenOption{option->name, {}, option->id, {}});
            wrong = readValue(option->value, read.value);
            if (wrong.empty() && option->read) {
                const std::optional<OptionValue> typed = option->read(read.value);
                if (typed)
                    read.typed = *typed;
                else
                    wrong = option->refusal;
            }
        } else {
            wrong = "unknown option '" + name + "'";
        }
        if (!wrong.empty())
            return mistake(std::move(wrong));
    }

    for (const Option* option : given)
        if (std::string wrong = misplaced(*option, verb->name); !wrong.empty())
            return mistake(std::move(wrong));
    if (verb->run && std::find(result.operands.begin(), result.operands.end(), "") != result.operands.end())
        return mistake("an empty file name");
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
    for (const Verb& verb : verbTable()) {
        if (verb.immediate) {
            immediate += immediate.empty() ? verb.name : " | " + std::string(verb.name);
        } else {
            usage += usage.empty() ? "Usage: pimoko" : "       pimoko";
            if (!verb.name.empty())
                usage += ' ' + withValue(verb.name, verb.value);
            for (const Option& option : optionTable())
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
        for (const Option& option : optionTable())
            if (!option.verbs.empty() && firstVerb(option) == verb.name)
                appendHelpLine(options, withValue(option.name, option.value), option.help);
    }
    // The window's options last.
    for (const Option& option : optionTable())
        if (option.verbs.empty())
            appendHelpLine(options, withValue(option.name, option.value), option.help);
    // The closing paragraph keeps to the narrower column it has always had.
    constexpr std::size_t kExitStatusWidth = 73;
    std::string exits = "Exit status:";
    for (const ExitMeaning& exit : kExitMeanings)
        exits += (exits.ends_with(':') ? " " : ", ") + std::to_string(int(exit.status)) + ' ' + std::string(exit.meaning);
    return usage + "       pimoko " + immediate + "\n\n" + std::string(verbTable().front().help) + "\n\n" + options +
           "\n" + wrapped(exits + '.', kExitStatusWidth) + '\n';
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
