#pragma once

#include "files/model/readable_file.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// The recovery copy of a drawing with unsaved changes: what the editor
// keeps on disk so that a crash, a kill or a lost session does not lose it.
//
// A copy file is the picture as the save command writes a bitmap (its own
// pixel format and colour table), so that any picture viewer opens it,
// followed by the document's file name and a 32-byte trailer; numbers are
// little-endian:
//
//   0      B   the bitmap file
//   B      N   the absolute path of the document's file (empty for a new image)
//   B+N    4   N
//   B+N+4  4   width
//   B+N+8  4   height
//   B+N+12 8   when it was written: seconds since 1970-01-01 UTC, signed
//   B+N+20 4   CRC-32 of every byte before this field
//   B+N+24 8   "PIMOKOR1"
struct RecoveryCopy {
    PixelBuffer picture;
    std::string fileName;
    std::int64_t writtenAt = 0;
};

// Larger files are not copies (the reading caps' table).
inline constexpr std::uint64_t kMaxRecoveryCopySize = readingCap(WholeFile::RecoveryCopy);
inline constexpr std::size_t kMaxRecoveryNameLength = 4096;

std::vector<std::uint8_t> recoveryCopyBytes(const PixelBuffer& picture, const std::string& fileName,
                                            std::int64_t writtenAt);

// The copy in `bytes`; nothing for anything else: another file, a copy
// damaged or cut short, a picture the editor does not open (judged by the
// headers before any pixel is allocated). A name that is not an absolute
// path cannot say which file it was: such a copy comes back as a new image.
std::optional<RecoveryCopy> readRecoveryCopy(std::span<const std::uint8_t> bytes);

// The file name a copy keeps: an absolute path as it is, a relative one
// resolved against the working folder of the run that opened it; empty
// for a new image, and when the folder is not known.
std::string absoluteFileName(const std::string& fileName, const std::string& workingFolder);

// The question offering a copy back, e.g. "保存されていない画像が残っています
// (a.ico, /home/u/A, 2024/05/01 09:30)。復元しますか?": the file-name part and
// its folder, or 新規画像 for a new image, and the local date and time the
// copy was written.
std::string recoveryOfferText(const std::string& fileName, std::int64_t writtenAt);

// The folder the copies live in: $XDG_STATE_HOME/pimoko when that is an
// absolute path, else $HOME/.local/state/pimoko; empty without either (no
// copies are kept then). Null stands for an unset variable.
std::string recoveryFolderFor(const char* xdgStateHome, const char* home);
// The same for this process's environment.
std::string recoveryFolder();

} // namespace pimoko
