#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/model/picture_reading.h"

#include <algorithm>
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

// The length of the UTF-8 character `text` starts with; 0 when its bytes
// are none (a stray or cut-short sequence, an overlong form, a surrogate,
// beyond U+10FFFF).
std::size_t utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 4;
    unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead < 0xF0 || lead > 0xF4)
        return 0;
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

// Whether a character that is no control is still not shown as it is: the
// line and paragraph separators and the noncharacters. (GNU ls escapes
// unassigned characters as well, by the C library's tables; these are
// not followed.)
bool unprintable(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return char32_t(static_cast<unsigned char>(bytes[i])); };
    char32_t c = 0;
    if (bytes.size() == 3)
        c = (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    else if (bytes.size() == 4)
        c = (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    return c == 0x2028 || c == 0x2029 || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// Calls visit(bytes, control, escaped) for each character of `name`: a
// control character (C0, DEL, C1) is shown escaped, and so is each byte
// that is no UTF-8 and each unprintable character.
template <typename Visit>
void eachCharacter(std::string_view name, Visit visit)
{
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t valid = utf8Length(name.substr(i));
        const std::string_view bytes = name.substr(i, std::max<std::size_t>(valid, 1));
        const unsigned char lead = static_cast<unsigned char>(bytes[0]);
        const bool control = lead < 0x20 || lead == 0x7F
            || (lead == 0xC2 && bytes.size() == 2 && static_cast<unsigned char>(bytes[1]) < 0xA0);
        visit(bytes, control, control || valid == 0 || unprintable(bytes));
        i += bytes.size();
    }
}

// A byte as the shell's $'...' writes it: \a to \r by name, else in octal.
std::string escapedByte(unsigned char c)
{
    if (c >= '\a' && c <= '\r')
        return {'\\', "abtnvfr"[c - '\a']};
    return {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7))};
}

// The name as the error line shows it: as it is, unless it holds a control
// character; then quoted as the shell-escape style of GNU ls does, each
// escaped character in a $'...' part.
std::string shownName(std::string_view name)
{
    bool anyControl = false;
    eachCharacter(name, [&](std::string_view, bool control, bool) { anyControl = anyControl || control; });
    if (!anyControl)
        return std::string(name);
    std::string quoted = "'";
    bool inEscapes = false;
    eachCharacter(name, [&](std::string_view bytes, bool, bool escaped) {
        if (escaped) {
            if (!inEscapes)
                quoted += "'$'";
            inEscapes = true;
            for (const char c : bytes)
                quoted += escapedByte(static_cast<unsigned char>(c));
            return;
        }
        if (bytes == "'")
            quoted += "'\\''";
        else
            quoted += (inEscapes ? "''" : "") + std::string(bytes);
        inEscapes = false;
    });
    return quoted + "'";
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

std::string errorLine(const std::string& path, const std::string& reason)
{
    return "pimoko: " + shownName(path) + ": " + oneLine(reason);
}

std::string errorLine(const std::string& path, const FileError& error)
{
    return errorLine(error.path().empty() ? path : error.path(), error.reason());
}

int reportError(std::ostream& err, const std::string& path, const std::string& reason, ExitStatus status)
{
    err << errorLine(path, reason) << '\n';
    return status;
}

int reportError(std::ostream& err, const std::string& path, const FileError& error, ExitStatus status)
{
    err << errorLine(path, error) << '\n';
    return status;
}

int writeOutput(const std::string& path, const std::function<std::vector<std::uint8_t>()>& bytes, std::ostream& err,
                WriteOptions options)
{
    try {
        writeFileWhole(path, bytes(), options);
    } catch (const FileError& error) {
        return reportError(err, path, error, ExitCannotWrite);
    }
    return ExitDone;
}

} // namespace pimoko
