#include "platform/picture_preview.h"

#include "files/model/picture_reading.h"
#include "platform/pixel_image.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <exception>
#include <optional>

namespace pimoko {

namespace {

constexpr int kPaneSide = 128;

// The picture the open command would place for the file, read the same way;
// nothing for a file it refuses or cannot read.
std::optional<PixelBuffer> pictureOpenWouldPlace(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    try {
        auto read = readPictureFile(path.toStdString());
        if (auto* opened = std::get_if<OpenedPicture>(&read))
            return std::move(opened->picture);
    } catch (const std::exception&) {
        // A read error: the open command would show it; the pane stays empty.
    }
    return std::nullopt;
}

} // namespace

PicturePreview::PicturePreview(QWidget* parent)
    : QWidget(parent)
    , picture_(new QLabel(this))
    , size_(new QLabel(this))
{
    setObjectName(QStringLiteral("PicturePreview"));
    picture_->setObjectName(QStringLiteral("PreviewPicture"));
    size_->setObjectName(QStringLiteral("PreviewSize"));
    picture_->setFixedSize(kPaneSide, kPaneSide);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::StyledPanel);
    size_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addWidget(size_);
    layout->addStretch();
}

PicturePreview* PicturePreview::attachTo(QFileDialog* dialog)
{
    auto* preview = new PicturePreview(dialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(dialog, &QFileDialog::currentChanged, preview, &PicturePreview::showFile);
    return preview;
}

void PicturePreview::showFile(const QString& path)
{
    picture_->clear();
    size_->clear();
    const std::optional<PixelBuffer> picture = pictureOpenWouldPlace(path);
    if (!picture)
        return;
    const QImage image = toOpaqueImage(*picture, QRect(0, 0, picture->width(), picture->height()));
    // At most 64 pixels a side: magnified by the largest whole factor that fits.
    const int factor = std::max(1, kPaneSide / std::max(image.width(), image.height()));
    picture_->setPixmap(QPixmap::fromImage(image.scaled(image.size() * factor, Qt::KeepAspectRatio, Qt::FastTransformation)));
    size_->setText(QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()));
}

QString PicturePreview::sizeText() const
{
    return size_->text();
}

} // namespace pimoko
