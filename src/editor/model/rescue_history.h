#pragma once

#include "editor/model/document_kind.h"
#include "raster/pixel_buffer.h"

#include <array>

namespace pimoko {

// The rescue history: copies of the document as it was before each of the
// last five presses on the editing view, newest in slot 0. A rescue brings
// them back newest first, one per step; it stores nothing itself, and a
// press after some rescues keeps the older slots, those already brought back
// included. A list of the images before each press, not an undo stack.
class RescueHistory {
public:
    static constexpr int SlotCount = 5;

    // A copy of the document: its picture, and what that picture was.
    struct Copy {
        PixelBuffer picture;
        DocumentKind kind = DocumentKind::Drawing;
    };

    std::array<Copy, SlotCount> FRescue;
    int FRescueCount = 0;  // rescue steps still available
    int FRescueIndex = 0;  // the slot the next rescue restores

    bool canRescue() const { return FRescueCount >= 1; }

    // Stores `document` as the newest copy; the oldest one is lost.
    void PushRescue(const PixelBuffer& document, DocumentKind kind);
    // Empties the history (a new image or an opened file).
    void clear() { FRescueCount = 0; }

    // One rescue step: the copy the walk has reached, at its own size (a
    // copy from before a size change brings its size back). Only while
    // canRescue().
    Copy takeNextRescue();
};

} // namespace pimoko
