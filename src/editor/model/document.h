#pragma once

#include "editor/model/start_values.h"
#include "raster/color.h"
#include "raster/pixel_buffer.h"

#include <string>

namespace pimoko {

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

    bool ImageModified = false;
    // The path the document was opened from or saved to, as given; empty
    // for a new image.
    std::string CurrentFileName;

private:
    PixelBuffer image_;
};

} // namespace pimoko
