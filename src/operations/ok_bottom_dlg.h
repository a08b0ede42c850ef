#pragma once

#include "operations/model/size_choice.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;

namespace pimoko {

// The enlarge/reduce dialog: shows the canvas size in pixels and
// millimetres and offers the four square canvas sizes. Modeless. It never
// touches the document: OK reports the chosen side through sizeChosen() and
// hides; Cancel, Esc and the close box only hide.
class TOKBottomDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKBottomDlg(QWidget* parent = nullptr);

    // Opens the dialog for an image of that size, centred on the screen;
    // does nothing more while it is already shown.
    void showFor(int currentWidth, int currentHeight);

    // Fills the choice and the boxes from the image size; any size but the
    // four squares leaves what was shown last.
    void FormShow(int currentWidth, int currentHeight);
    // Fills the boxes from the item the user picked.
    void RadioGroup1Click(int item);
    void OKBtnClick();
    void CancelBtnClick();

    const SizeChoice& choice() const { return choice_; }

signals:
    // OK with the side of the chosen square canvas (16, 20, 32 or 64).
    void sizeChosen(int side);

private:
    void showChoice(const SizeChoice& choice);

    SizeChoice choice_;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;
};

} // namespace pimoko
