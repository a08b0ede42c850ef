#pragma once

#include "files/codec/pe_icon_group.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <variant>
#include <vector>

// The program's command line. Everything here is plain C++ on the
// widget-free code: --help, --version, --convert and --list run without Qt
// being loaded at all, so that a script converting many files pays for no
// more than reading and writing them.

namespace pimoko {

// Exit statuses of the command-line actions.
enum ExitStatus : int {
    ExitDone = 0,
    ExitRefused = 1,         // the input is refused, unreadable or not a picture
    ExitBadCommandLine = 2,
    ExitCannotWrite = 3,     // the output file cannot be written
};

// One whole-image command of a conversion, run as the window runs it.
struct ConvertStep {
    enum class Kind { RotateRight, MirrorLeftRight, MirrorTopBottom, Size };
    Kind kind = Kind::RotateRight;
    int side = 0;  // Size only: 16, 20, 32 or 64
};

struct CommandLine {
    enum class Action { OpenWindow, Help, Version, Convert, List, Mistake };
    Action action = Action::OpenWindow;
    // OpenWindow: the files to open in turn, and Qt's own options (with
    // their values) for the application object.
    std::vector<std::string> files;
    std::vector<std::string> qtArguments;
    // Convert: output and input; List: input.
    std::string output;
    std::string input;
    std::vector<ConvertStep> steps;
    // Mistake: what is wrong, in one line.
    std::string mistake;
};

// Reads the arguments after the program name.
CommandLine parseCommandLine(std::span<const std::string> arguments);

// Runs a Help, Version, Convert, List or Mistake command line, writing to
// `out` and `err`, and returns the exit status. Not for OpenWindow.
int runCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

std::string helpText();
std::string versionText();

// The picture after the steps, each as the window's command does it.
PixelBuffer applySteps(PixelBuffer image, std::span<const ConvertStep> steps);

// The lines --list prints for an icon, cursor or program file.
std::vector<std::string> listImages(const std::string& path);

} // namespace pimoko
