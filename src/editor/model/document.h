#pragma once

#include "editor/model/document_kind.h"
#include "editor/model/rescue_history.h"
#include "editor/model/start_values.h"
#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pimoko {

class Document;

// Whether the document has changes that are not saved. Reads as a bool;
// only the document's named changes set and clear it.
class ModifiedFlag {
public:
    constexpr operator bool() const { return set_; }

private:
    friend class Document;
    ModifiedFlag() = default;
    ModifiedFlag(const ModifiedFlag&) = default;
    ModifiedFlag& operator=(const ModifiedFlag&) = default;

    bool set_ = false;
};

// The image being edited, with its file name, its modified flag and the
// rescue history of the image before each of the last presses. The image,
// the flag, the name and the history change only through the named changes
// below; each keeps all four right and then sends the one notice, so that
// whoever shows the document cannot miss a change. The image's width and
// height are always its own: the only way to another size is another image.
class Document {
public:
    // What the notice says happened.
    enum class Change {
        New,             // a blank image of its own, no name, nothing to save
        Opened,          // a picture read from a file, named after it, or
                         // a drawing restored from its recovery copy
        StrokeStarted,   // a press on the editing view: a rescue copy was kept
        StrokeFinished,  // the release that ends a stroke
        Transformed,     // turned or mirrored
        Resized,         // another size: stretched, or a blank canvas
        Rescued,         // an earlier image brought back
        Saved,           // written to a file, named after it
        Renamed,         // the name alone changed
    };
    using Listener = std::function<void(Change)>;

    Document() : image_(StartValues::ImageSide, StartValues::ImageSide, StartValues::ImageColor) {}

    // The one listener the notice goes to; empty for none.
    void setListener(Listener listener) { listener_ = std::move(listener); }

    int ImageWidth() const { return image_.width(); }
    int ImageHeight() const { return image_.height(); }
    const PixelBuffer& image() const { return image_; }
    // A drawing from the start, a new image, a size change and a stretch;
    // what the opener says for an opened or restored picture; what the copy
    // was for a rescue.
    DocumentKind kind() const { return kind_; }

    ModifiedFlag ImageModified;
    // The path the document was opened from or saved to, as given; empty
    // for a new image.
    const std::string& CurrentFileName() const { return fileName_; }
    const RescueHistory& rescueHistory() const { return rescue_; }
    // Counts the changes, those of the stroke pixels included, which send
    // no notice: a different count is a different document.
    std::uint64_t revision() const { return revision_; }

    // A blank image, unnamed, nothing to save, no history (a new image and
    // the start).
    void startNew(PixelBuffer blank);
    // A picture read from fileName, at its own size and format; nothing to
    // save, no history.
    void open(PixelBuffer picture, std::string fileName, DocumentKind kind = DocumentKind::Drawing);
    // A drawing brought back from its recovery copy, named as it was (empty
    // for a new image): opened, but with its changes still to save; no
    // history.
    void restore(PixelBuffer picture, std::string fileName, DocumentKind kind = DocumentKind::Drawing);
    // A press on the editing view: the image as it is goes into the rescue
    // history, and the image counts as changed from here on.
    void startStroke();
    // The pixels a stroke draws into, while it is under way. Drawing counts
    // as a change (a drag that began beside the view has no press); the
    // notice waits for finishStroke.
    PixelBuffer& strokePixels();
    void finishStroke();
    // The image turned or mirrored.
    void transform(PixelBuffer transformed);
    // The image stretched to another size: a change to save.
    void stretch(PixelBuffer stretched);
    // A blank canvas of another size (or the same): nothing left to save;
    // the name and the history stay.
    void resizeBlank(PixelBuffer blank);
    // One rescue step: the copy the walk has reached, at its own size, as a
    // change to save. Nothing happens with no step left.
    void rescue();
    // Written to fileName: the document takes the name and has nothing left
    // to save.
    void markSaved(std::string fileName);
    // Another name, or none, for the document as it is.
    void rename(std::string fileName);

private:
    void place(PixelBuffer image, DocumentKind kind);
    void notify(Change change);

    PixelBuffer image_;
    DocumentKind kind_ = DocumentKind::Drawing;
    std::string fileName_;
    RescueHistory rescue_;
    Listener listener_;
    std::uint64_t revision_ = 0;
};

} // namespace pimoko
