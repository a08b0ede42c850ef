#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/model/picture_reading.h"

#include <ostream>
#include <variant>

namespace pimoko {

namespace {

constexpr std::string_view kFullWidthSpace = "\u3000";

// The reason with each run of blanks made one space, and none at either end.
std::string oneLine(std::string_view text)
{
    std::string line;
    bool blank = false;
    for (std::size_t i = 0; i < text.size();) {
        const bool wide = text.substr(i).starts_with(kFullWidthSpace);
        const char c = text[i];
        if (wide || c == ' ' || c == '\r' || c == '\n') {
            blank = true;
            i += wide ? kFullWidthSpace.size() : 1;
            continue;
        }
        if (blank && !line.empty())
            line += ' ';
        blank = false;
        line += c;
        ++i;
    }
    return line;
}

struct AboutFile {
    std::string path;
    std::string reason;
};

// The file and the reason of a text made by `format` (cannotOpenText or
// cannotCreateText), if it is one.
bool splitNamed(const std::string& text, std::string (*format)(const std::string&, const std::string&),
                AboutFile& about)
{
    // The format's own words around a path and a reason.
    const std::string shape = format("\x01", "\x02");
    const std::size_t pathAt = shape.find('\x01');
    const std::size_t reasonAt = shape.find('\x02');
    const std::string_view before = std::string_view(shape).substr(0, pathAt);
    const std::string_view between = std::string_view(shape).substr(pathAt + 1, reasonAt - pathAt - 1);
    const std::string_view after = std::string_view(shape).substr(reasonAt + 1);
    if (text.size() < before.size() + between.size() + after.size() || !text.starts_with(before)
        || !text.ends_with(after))
        return false;
    const std::string_view inner =
        std::string_view(text).substr(before.size(), text.size() - before.size() - after.size());
    const std::size_t split = inner.rfind(between);
    if (split == std::string_view::npos)
        return false;
    about = {std::string(inner.substr(0, split)), std::string(inner.substr(split + between.size()))};
    return true;
}

} // namespace

namespace {

OpenedPicture openedOrThrown(std::variant<OpenedPicture, OpenRefusal> read, std::string_view otherKind)
{
    if (const auto* refusal = std::get_if<OpenRefusal>(&read))
        throw FileError(*refusal == OpenRefusal::Format && !otherKind.empty() ? std::string(otherKind)
                                                                              : openRefusalText(*refusal));
    return std::get<OpenedPicture>(std::move(read));
}

} // namespace

OpenedPicture openPicture(const std::string& path, std::string_view otherKind)
{
    return openedOrThrown(readPictureFile(path), otherKind);
}

OpenedPicture openPictureAs(const std::string& path, PictureKind kind)
{
    return openedOrThrown(readPictureFileAs(path, kind), {});
}

std::string errorLine(const std::string& path, const std::string& text)
{
    AboutFile about{path, text};
    if (!splitNamed(text, cannotOpenText, about))
        splitNamed(text, cannotCreateText, about);
    return "pimoko: " + about.path + ": " + oneLine(about.reason);
}

int reportError(std::ostream& err, const std::string& path, const std::string& text, ExitStatus status)
{
    err << errorLine(path, text) << '\n';
    return status;
}

int writeOutput(const std::string& path, const std::function<std::vector<std::uint8_t>()>& bytes, std::ostream& err,
                WriteOptions options)
{
    try {
        writeFileWhole(path, bytes(), options);
    } catch (const FileError& error) {
        return reportError(err, path, error.what(), ExitCannotWrite);
    }
    return ExitDone;
}

} // namespace pimoko
