#pragma once

namespace pimoko {

// What the document's picture is, as far as the views care: a Windows
// bitmap opened (or restored) as one, or a drawing (a new image, a blank or
// stretched canvas, a picture read from an icon, cursor or program file).
enum class DocumentKind { Drawing, Bitmap };

} // namespace pimoko
