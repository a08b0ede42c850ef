#include "app/cli/convert.h"

#include "app/cli/verb_files.h"

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

std::optional<ConvertOutput> convertOutputFor(const std::string& path)
{
    if (savedKindFor(path))
        return ConvertOutput::Saved;
    if (lowerCaseExtension(path) == ".png")
        return ConvertOutput::Png;
    return std::nullopt;
}

std::vector<ConvertStep> convertSteps(std::span<const GivenOption> options)
{
    std::vector<ConvertStep> steps;
    for (const GivenOption& option : options) {
        switch (option.id) {
        case OptionId::Rotate:
            steps.push_back({ConvertStep::Kind::RotateRight});
            break;
        case OptionId::MirrorLeftRight:
            steps.push_back({ConvertStep::Kind::MirrorLeftRight});
            break;
        case OptionId::MirrorTopBottom:
            steps.push_back({ConvertStep::Kind::MirrorTopBottom});
            break;
        case OptionId::Size:
            steps.push_back({ConvertStep::Kind::Size, std::get<int>(option.typed)});
            break;
        default:
            break;
        }
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
std::vector<std::uint8_t> convertedBytes(const PixelBuffer& image, const CommandLine& commandLine)
{
    if (const std::optional<SaveKind> saved = savedKindFor(commandLine.verbValue))
        return savedFileBytes(image, *saved);
    const GivenOption* scale = commandLine.given(OptionId::Scale);
    return pngFileBytes(enlargeByBlocks(opaqueRgbaImage(image), scale ? std::get<int>(scale->typed) : 1),
                        PngChannels::Rgb);
}

} // namespace

int runConvert(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    const std::string& input = commandLine.operands.front();
    const std::string& output = commandLine.verbValue;
    OpenedPicture opened;
    try {
        opened = openPicture(input);
    } catch (const FileError& error) {
        return reportError(err, input, error, ExitRefused);
    }
    const PixelBuffer image = applySteps(std::move(opened.picture), convertSteps(commandLine.options));
    return writeOutput(output, [&] { return convertedBytes(image, commandLine); }, err);
}

} // namespace pimoko
