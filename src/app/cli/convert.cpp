#include "app/cli/convert.h"

#include "app/cli/error_line.h"

#include "files/codec/file_error.h"
#include "files/codec/png_file.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "files/model/saved_file.h"
#include "operations/model/stretch.h"
#include "operations/model/transform.h"
#include "raster/rgba_scaling.h"

#include <ostream>
#include <string>
#include <utility>
#include <variant>

namespace pimoko {

std::vector<ConvertStep> convertSteps(std::span<const GivenOption> options)
{
    std::vector<ConvertStep> steps;
    for (const GivenOption& option : options) {
        if (option.name == "--rotate")
            steps.push_back({ConvertStep::Kind::RotateRight});
        else if (option.name == "--mirror-lr")
            steps.push_back({ConvertStep::Kind::MirrorLeftRight});
        else if (option.name == "--mirror-tb")
            steps.push_back({ConvertStep::Kind::MirrorTopBottom});
        else if (option.name == "--size")
            steps.push_back({ConvertStep::Kind::Size, std::stoi(option.value)});
    }
    return steps;
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

namespace {

// The bytes of OUTPUT: a PNG file of the picture as the editor shows it,
// enlarged by --scale, or what the save command writes.
std::vector<std::uint8_t> convertedBytes(const PixelBuffer& image, const std::string& output,
                                         std::span<const GivenOption> options)
{
    if (lowerCaseExtension(output) != ".png")
        return savedFileBytes(image, *savedKindFor(output));
    int scale = 1;
    for (const GivenOption& option : options)
        if (option.name == "--scale")
            scale = parseWholeNumber(option.value).value_or(1);
    return writePngFile(enlargeByBlocks(opaqueRgbaImage(image), scale), PngChannels::Rgb);
}

} // namespace

int runConvert(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    const std::string& input = commandLine.operands.front();
    const std::string& output = commandLine.verbValue;
    std::variant<OpenedPicture, OpenRefusal> read;
    try {
        read = readPictureFile(input);
    } catch (const FileError& error) {
        return reportError(err, input, error.what(), ExitRefused);
    }
    if (const auto* refusal = std::get_if<OpenRefusal>(&read))
        return reportError(err, input, openRefusalText(*refusal), ExitRefused);
    const std::vector<ConvertStep> steps = convertSteps(commandLine.options);
    const PixelBuffer image = applySteps(std::get<OpenedPicture>(std::move(read)).picture, steps);
    return writeOutput(output, [&] { return convertedBytes(image, output, commandLine.options); }, err);
}

} // namespace pimoko
