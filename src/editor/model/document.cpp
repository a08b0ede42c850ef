#include "editor/model/document.h"

#include <utility>

namespace pimoko {

void Document::place(PixelBuffer image, DocumentKind kind)
{
    image_ = std::move(image);
    kind_ = kind;
}

void Document::notify(Change change)
{
    ++revision_;
    if (listener_)
        listener_(change);
}

void Document::startNew(PixelBuffer blank)
{
    place(std::move(blank), DocumentKind::Drawing);
    fileName_.clear();
    rescue_.clear();
    ImageModified.set_ = false;
    notify(Change::New);
}

void Document::open(PixelBuffer picture, std::string fileName, DocumentKind kind)
{
    place(std::move(picture), kind);
    fileName_ = std::move(fileName);
    rescue_.clear();
    ImageModified.set_ = false;
    notify(Change::Opened);
}

void Document::restore(PixelBuffer picture, std::string fileName, DocumentKind kind)
{
    place(std::move(picture), kind);
    fileName_ = std::move(fileName);
    rescue_.clear();
    ImageModified.set_ = true;
    notify(Change::Opened);
}

void Document::startStroke()
{
    rescue_.PushRescue(image_, kind_);
    ImageModified.set_ = true;
    notify(Change::StrokeStarted);
}

PixelBuffer& Document::strokePixels()
{
    ++revision_;
    ImageModified.set_ = true;
    return image_;
}

void Document::finishStroke()
{
    ImageModified.set_ = true;
    notify(Change::StrokeFinished);
}

void Document::transform(PixelBuffer transformed)
{
    place(std::move(transformed), kind_);
    ImageModified.set_ = true;
    notify(Change::Transformed);
}

void Document::stretch(PixelBuffer stretched)
{
    place(std::move(stretched), DocumentKind::Drawing);
    ImageModified.set_ = true;
    notify(Change::Resized);
}

void Document::resizeBlank(PixelBuffer blank)
{
    place(std::move(blank), DocumentKind::Drawing);
    ImageModified.set_ = false;
    notify(Change::Resized);
}

void Document::rescue()
{
    if (!rescue_.canRescue())
        return;
    RescueHistory::Copy copy = rescue_.takeNextRescue();
    place(std::move(copy.picture), copy.kind);
    ImageModified.set_ = true;
    notify(Change::Rescued);
}

void Document::markSaved(std::string fileName)
{
    fileName_ = std::move(fileName);
    ImageModified.set_ = false;
    notify(Change::Saved);
}

void Document::rename(std::string fileName)
{
    fileName_ = std::move(fileName);
    notify(Change::Renamed);
}

} // namespace pimoko
