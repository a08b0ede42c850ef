#pragma once

#include <string>

namespace pimoko {

// The extension of a path: from the last "." after the last "/", with the
// dot, lower-cased by ASCII rules only; empty when the name has no dot.
std::string lowerCaseExtension(const std::string& path);

// The text after the last "/".
std::string fileNamePart(const std::string& path);

// What the open command reads a file as, by its extension alone.
enum class PictureKind { Bitmap, Icon, Program, Cursor, Unknown };
PictureKind pictureKindFor(const std::string& path);

// The sides of a picture the editor opens: 1 to 64 pixels each.
constexpr int kMaxOpenedSide = 64;
constexpr bool fitsTheEditor(int width, int height)
{
    return width >= 1 && height >= 1 && width <= kMaxOpenedSide && height <= kMaxOpenedSide;
}

// The path with its extension (from the last dot of the file name on)
// replaced by `extension`; a name without a dot gets it appended.
std::string withExtension(const std::string& path, const std::string& extension);

// The unsaved-changes question: the file-name part when the name has an
// extension, else "新規画像", in the question's fixed words.
std::string unsavedChangesText(const std::string& currentFileName);

// The window caption for a document with that file name; empty for a new image.
std::string captionFor(const std::string& currentFileName);

} // namespace pimoko
