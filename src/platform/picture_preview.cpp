#include "platform/picture_preview.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QVBoxLayout>

namespace pimoko {

namespace {

constexpr int kPaneSide = 128;

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
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    QImageReader reader(path);
    const QSize size = reader.size();
    // Nothing larger than a screenful is decoded for a preview.
    if (!size.isValid() || size.width() > 4096 || size.height() > 4096)
        return;
    const QImage image = reader.read();
    if (image.isNull())
        return;
    const int factor = std::max(1, kPaneSide / std::max(image.width(), image.height()));
    QImage shown = factor > 1 ? image.scaled(image.size() * factor, Qt::KeepAspectRatio, Qt::FastTransformation)
                              : image.scaled(kPaneSide, kPaneSide, Qt::KeepAspectRatio, Qt::FastTransformation);
    picture_->setPixmap(QPixmap::fromImage(shown));
    size_->setText(QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()));
}

QString PicturePreview::sizeText() const
{
    return size_->text();
}

} // namespace pimoko
