#pragma once

#include <QWidget>

class QFileDialog;
class QLabel;

namespace pimoko {

// The picture pane beside the open and save dialogs' file lists: the picture
// the open command would place for the file under selection, read by the
// editor's own reader, magnified by a whole factor so that small icons can be
// seen, and its size in pixels. Empty for a file the editor would refuse.
class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent = nullptr);

    // Adds a pane to the dialog's layout that follows its current file.
    static PicturePreview* attachTo(QFileDialog* dialog);

    void showFile(const QString& path);
    QString sizeText() const;

private:
    QLabel* picture_;
    QLabel* size_;
};

} // namespace pimoko
