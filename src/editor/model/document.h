#pragma once

#include "editor/model/start_values.h"
#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <string>

namespace pimoko {

class Document;

// Whether the document has changes that are not saved. Reads as a bool;
// only the document's markModified() and markSaved() change it.
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

// The image being edited, with its file name and modified flag. Its width
// and height are always the image's own: the only way to another size is
// to replace the image.
class Document {
public:
    Document() : image_(StartValues::ImageSide, StartValues::ImageSide, StartValues::ImageColor) {}

    int ImageWidth() const { return image_.width(); }
    int ImageHeight() const { return image_.height(); }
    const PixelBuffer& image() const { return image_; }
    // For writing pixels; the size stays as it is.
    PixelBuffer& pixels() { return image_; }
    // Takes another picture, at its own size and format.
    void replaceImage(PixelBuffer image) { image_ = std::move(image); }

    // The transparent colour: whatever the top-left pixel holds.
    Color transparentColor() const { return image_.isEmpty() ? kWhite : image_.pixel(0, 0); }

    ModifiedFlag ImageModified;
    // Called by the commands that change the image: it has changes to ask
    // about before they are thrown away.
    void markModified() { ImageModified.set_ = true; }
    // Called by the commands that save it, open it or start it afresh:
    // nothing in it is left unsaved.
    void markSaved() { ImageModified.set_ = false; }

    // The path the document was opened from or saved to, as given; empty
    // for a new image.
    std::string CurrentFileName;

private:
    PixelBuffer image_;
};

} // namespace pimoko
