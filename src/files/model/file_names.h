#pragma once

#include <string>

namespace pimoko {

// The extension of a path: from the last "." after the last "/", with the
// dot, lower-cased by ASCII rules only; empty when the name has no dot.
std::string lowerCaseExtension(const std::string& path);

// The text after the last "/".
std::string fileNamePart(const std::string& path);

// What the save command does with the document's current file name.
enum class SaveRoute { Bitmap, Icon, AskForName };
SaveRoute saveRouteFor(const std::string& currentFileName);

// The unsaved-changes question: the file-name part when the name has an
// extension, else "新規画像", in the question's fixed words.
std::string unsavedChangesText(const std::string& currentFileName);

// The window caption for a document with that file name; empty for a new image.
std::string captionFor(const std::string& currentFileName);

} // namespace pimoko
