#include "files/model/recovery_copy.h"

#include "files/codec/bmp_reader.h"
#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/little_endian_writer.h"
#include "files/model/file_names.h"
#include "files/model/saved_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <new>
#include <iomanip>
#include <sstream>

namespace pimoko {

namespace {

constexpr char kMagic[] = "PIMOKOR1";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;
constexpr std::size_t kTrailerLength = 24 + kMagicLength;

struct NotACopy {};
[[noreturn]] void refuse() { throw NotACopy{}; }
using CopyBytes = BoundedBytes<refuse>;

std::uint32_t checksum(std::span<const std::uint8_t> bytes)
{
    return std::uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

RecoveryCopy parse(const CopyBytes& file)
{
    const std::size_t size = file.size();
    if (size > kMaxRecoveryCopySize || size < kTrailerLength)
        refuse();
    const std::size_t trailer = size - kTrailerLength;
    const auto magic = file.slice(trailer + 24, kMagicLength);
    if (!std::equal(magic.begin(), magic.end(), kMagic))
        refuse();
    if (file.u32(trailer + 20) != checksum(file.slice(0, trailer + 20)))
        refuse();
    const std::uint32_t nameLength = file.u32(trailer);
    if (nameLength > kMaxRecoveryNameLength || nameLength > trailer)
        refuse();
    const std::size_t nameStart = trailer - nameLength;
    const auto name = file.slice(nameStart, nameLength);
    RecoveryCopy copy;
    copy.fileName.assign(name.begin(), name.end());
    if (copy.fileName.find('\0') != std::string::npos)
        refuse();
    if (!copy.fileName.starts_with('/'))
        copy.fileName.clear();
    copy.writtenAt = std::int64_t(std::uint64_t(file.u32(trailer + 12)) | (std::uint64_t(file.u32(trailer + 16)) << 32));
    // The headers are judged before any pixel is allocated: a small file
    // may claim a picture of many megabytes.
    const std::span<const std::uint8_t> bitmap = file.slice(0, nameStart);
    const BitmapInfo info = readBitmapInfo(bitmap);
    if (!fitsTheEditor(info.width, info.height) || file.u32(trailer + 4) != std::uint32_t(info.width)
        || file.u32(trailer + 8) != std::uint32_t(info.height))
        refuse();
    copy.picture = readBitmapFile(bitmap);
    return copy;
}

} // namespace

std::vector<std::uint8_t> recoveryCopyBytes(const PixelBuffer& picture, const std::string& fileName,
                                            std::int64_t writtenAt)
{
    std::vector<std::uint8_t> bytes = savedFileBytes(picture, SaveKind::Bitmap);
    bytes.insert(bytes.end(), fileName.begin(), fileName.end());
    LittleEndianWriter out(bytes);
    out.u32(std::uint32_t(fileName.size()));
    out.u32(std::uint32_t(picture.width()));
    out.u32(std::uint32_t(picture.height()));
    out.u32(std::uint32_t(std::uint64_t(writtenAt)));
    out.u32(std::uint32_t(std::uint64_t(writtenAt) >> 32));
    out.u32(checksum(bytes));
    bytes.insert(bytes.end(), kMagic, kMagic + kMagicLength);
    return bytes;
}

std::optional<RecoveryCopy> readRecoveryCopy(std::span<const std::uint8_t> bytes)
{
    try {
        return parse(CopyBytes(bytes));
    } catch (const NotACopy&) {
        return std::nullopt;
    } catch (const FileError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::string absoluteFileName(const std::string& fileName, const std::string& workingFolder)
{
    if (fileName.empty() || fileName.starts_with('/'))
        return fileName;
    if (!workingFolder.starts_with('/'))
        return {};
    std::string_view name = fileName;
    while (name.starts_with("./"))
        name.remove_prefix(2);
    return workingFolder + (workingFolder.ends_with('/') ? "" : "/") + std::string(name);
}

std::string recoveryOfferText(const std::string& fileName, std::int64_t writtenAt)
{
    const std::time_t time = std::time_t(writtenAt);
    std::tm local{};
    std::ostringstream when;
    if (::localtime_r(&time, &local))
        when << std::put_time(&local, "%Y/%m/%d %H:%M");
    // Two copies may share a name: the folder tells them apart.
    std::string name = "新規画像";
    if (!fileName.empty()) {
        const std::size_t slash = fileName.rfind('/');
        name = fileNamePart(fileName);
        if (slash != std::string::npos)
            name += ", " + fileName.substr(0, std::max<std::size_t>(slash, 1));
    }
    return "保存されていない画像が残っています (" + name + ", " + when.str() + ")。復元しますか?";
}

std::string recoveryFolderFor(const char* xdgStateHome, const char* home)
{
    if (xdgStateHome && xdgStateHome[0] == '/')
        return std::string(xdgStateHome) + "/pimoko";
    if (home && home[0] != '\0')
        return std::string(home) + "/.local/state/pimoko";
    return {};
}

std::string recoveryFolder()
{
    return recoveryFolderFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

} // namespace pimoko
