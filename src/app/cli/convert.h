#pragma once

#include "app/cli/command_line.h"
#include "raster/pixel_buffer.h"

#include <iosfwd>
#include <span>
#include <vector>

namespace pimoko {

// One whole-image command of a conversion, run as the window runs it.
struct ConvertStep {
    enum class Kind { RotateRight, MirrorLeftRight, MirrorTopBottom, Size };
    Kind kind = Kind::RotateRight;
    int side = 0;  // Size only: 16, 20, 32 or 64
};

// The steps the options name, in the order given.
std::vector<ConvertStep> convertSteps(std::span<const GivenOption> options);

// The picture after the steps, each as the window's command does it.
PixelBuffer applySteps(PixelBuffer image, std::span<const ConvertStep> steps);

// What --convert writes for an output's name: what the save command
// writes (its own kinds), or a PNG picture.
enum class ConvertOutput { Saved, Png };
std::optional<ConvertOutput> convertOutputFor(const std::string& path);

// The largest --scale: a 64 x 64 picture becomes 1024 x 1024.
inline constexpr int kMaxScale = 16;

// --convert OUTPUT INPUT: reads INPUT as the open command does, runs the
// steps and writes OUTPUT as the save command does; a .png OUTPUT holds the
// picture the editor shows, opaque, each pixel enlarged to a --scale N
// block.
int runConvert(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
