#pragma once

#include <QDialog>

namespace pimoko {

// The version box: the program's picture, name, version and a line about
// it. Modeless; OK, Enter and the close box hide it, Esc does not.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    void OKButtonClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace pimoko
