#include "app/cli/replace.h"

#include "app/cli/pack.h"
#include "app/cli/verb_files.h"

#include "files/codec/file_error.h"
#include "files/codec/icon_packer.h"
#include "files/model/readable_file.h"

#include <vector>

namespace pimoko {

int runReplace(const CommandLine& commandLine, std::ostream&, std::ostream& err)
{
    const std::string& icon = commandLine.verbValue;
    const std::string& input = commandLine.operands.front();
    std::vector<std::uint8_t> png;
    RgbaImage picture;
    try {
        picture = readPackInput(input, png);
    } catch (const FileError& error) {
        return reportError(err, input, error, ExitRefused);
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readingWithinMemory(
            icon, [&] { return iconFileWithImage(readWholeFile(icon, WholeFile::IconLayout), picture, png); });
    } catch (const FileError& error) {
        return reportError(err, icon, error, ExitRefused);
    }
    return writeOutput(icon, [&] { return std::move(bytes); }, err);
}

} // namespace pimoko
