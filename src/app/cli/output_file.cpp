#include "app/cli/output_file.h"

#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_writer.h"
#include "files/model/file_descriptor.h"
#include "files/model/file_names.h"
#include "files/model/picture_reading.h"
#include "raster/icon_parts.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

std::vector<std::uint8_t> savedFileBytes(const PixelBuffer& image, const std::string& outputPath)
{
    switch (saveRouteFor(outputPath)) {
    case SaveRoute::Icon: {
        const IconParts parts = makeIconParts(image);
        return WriteIconData(parts.andPart, parts.orPart);
    }
    case SaveRoute::Bitmap:
        return writeBitmapFile(image);
    case SaveRoute::AskForName:
        break;
    }
    return {};
}

void replaceFileWhole(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const auto fail = [&path](const std::string& reason) { throw FileError(cannotCreateText(path, reason)); };
    struct stat status {};
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode))
        fail("Is a directory");
    // A file the user may not write is not replaced, though its folder would
    // let the new file take its place, as the window's save refuses it.
    if (exists && ::access(path.c_str(), W_OK) != 0)
        fail(std::strerror(errno));
    const std::size_t slash = path.rfind('/');
    std::string temporary = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".pimoko-XXXXXX";
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        fail(std::strerror(errno));
    const auto failRemoving = [&](int error) {
        ::unlink(temporary.c_str());
        fail(std::strerror(error));
    };
    // A new file gets the mode a plain create would give it; a replaced one keeps its own.
    mode_t mode = exists ? status.st_mode & 07777 : 0;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd.get(), mode) != 0)
        failRemoving(errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            failRemoving(written < 0 ? errno : ENOSPC);
        done += std::size_t(written);
    }
    // Not flushed to the disk before the rename, as the window's save is:
    // readers see the old file or the new one whole either way, and a
    // conversion then costs no more than other tools' writes.
    if (::close(fd.release()) != 0)
        failRemoving(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        failRemoving(errno);
}

} // namespace pimoko
