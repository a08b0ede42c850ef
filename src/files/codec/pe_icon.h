#pragma once

#include "files/codec/icon_file.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <optional>
#include <span>

namespace pimoko {

// The first icon of a Windows program file (PE32 or PE32+), as the shell
// hands it over for a large icon: the first icon group of the resources in
// stored order (named groups first, then numbered ones), its first language,
// the member chosen as chooseIconEntry chooses, and that member's icon
// resource found by its number.

// The chosen member as an icon directory entry: width, height, colour word,
// planes and bit count from the group, data offset and size pointing at the
// member's image data in the file. nullopt when the file is not a program,
// has no icon group, or any header, section, resource directory or group on
// the way is cut off or points outside the file. Resource trees are walked
// exactly three levels deep (type, name, language), so a directory pointing
// back at itself cannot make the walk go round.
std::optional<IconDirEntry> findProgramIcon(std::span<const std::uint8_t> file);
std::optional<IconDirEntry> findProgramIcon(const ByteSource& file);

// The picture opening a program file places in the document: the chosen
// member stretched to the large-icon size and drawn on white. Anything that
// is not a program, holds no icon or is damaged gives the generic
// application icon, as the shell does, and so does image data larger than
// kMaxIconFileSize. The span form never throws FileError; the source form
// reads the headers and resource directories as readProgramIconGroup does
// and then the chosen member's data alone, and lets only the source's own
// errors escape.
PixelBuffer readProgramIconPicture(std::span<const std::uint8_t> file);
PixelBuffer readProgramIconPicture(const ByteSource& file);

} // namespace pimoko
