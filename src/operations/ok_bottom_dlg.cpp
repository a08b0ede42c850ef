#include "operations/ok_bottom_dlg.h"

#include "platform/caption_label.h"
#include "platform/interface_font.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace pimoko {

namespace {

const char* const kItemTexts[kCanvasSizeCount] = {
    "16 x 16 【ボタン用ビットマップ】",
    "20 x 20 【ビットマップアイコン】",
    "32 x 32 【現在のアイコン】",
    "64 x 64 【未来のアイコン？】 ",
};

// A box that only displays a number: no caret, no focus, nothing typed.
QLineEdit* makeNumberBox(QWidget* parent, const char* name, int left, int top)
{
    auto* box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(left, top, 30, 24);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setContextMenuPolicy(Qt::PreventContextMenu);
    box->setFont(uiFont(16, true));
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
    return box;
}

} // namespace

TOKBottomDlg::TOKBottomDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("OKBottomDlg"));
    setWindowTitle(QStringLiteral("　ピモコ　　ルポミ舎　　　拡大・縮小"));
    setModal(false);
    setFont(uiFont(12));
    setFixedSize(227, 232);

    makeCaptionLabel(this, "Label1", QString::fromUtf8("ピクセル"), 55, 14, uiFont(12, true));
    Edit4 = makeNumberBox(this, "Edit4", 110, 10);
    makeCaptionLabel(this, "Label2", QString::fromUtf8("X"), 150, 15, uiFont(15, true));
    Edit5 = makeNumberBox(this, "Edit5", 170, 10);
    makeCaptionLabel(this, "Label4", QString::fromUtf8("ミリメートル"), 40, 45, uiFont(12, true));
    Edit6 = makeNumberBox(this, "Edit6", 110, 40);
    makeCaptionLabel(this, "Label3", QString::fromUtf8("X"), 150, 45, uiFont(15, true));
    Edit7 = makeNumberBox(this, "Edit7", 170, 40);

    auto* group = new QGroupBox(QStringLiteral("　サイズの選択　"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    group->setGeometry(10, 80, 200, 100);
    RadioGroup1 = new QButtonGroup(this);
    // The items share the space below the caption evenly.
    const int itemsTop = 16;
    const int itemHeight = (group->height() - itemsTop - 4) / kCanvasSizeCount;
    for (int item = 0; item < kCanvasSizeCount; ++item) {
        auto* button = new QRadioButton(QString::fromUtf8(kItemTexts[item]), group);
        button->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(item));
        button->setGeometry(8, itemsTop + item * itemHeight, group->width() - 12, itemHeight);
        RadioGroup1->addButton(button, item);
    }
    RadioGroup1->button(0)->setChecked(true);
    connect(RadioGroup1, &QButtonGroup::idClicked, this, &TOKBottomDlg::RadioGroup1Click);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(14, 192, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TOKBottomDlg::OKBtnClick);

    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(134, 192, 75, 25);
    cancel->setAutoDefault(false);
    // Esc reaches reject(), which hides the dialog as Cancel does.
    connect(cancel, &QPushButton::clicked, this, &TOKBottomDlg::CancelBtnClick);
}

void TOKBottomDlg::showFor(int currentWidth, int currentHeight)
{
    if (isVisible())
        return;
    FormShow(currentWidth, currentHeight);
    // The keyboard starts on the size shown, so that the arrow keys move
    // the choice from there.
    RadioGroup1->checkedButton()->setFocus();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void TOKBottomDlg::FormShow(int currentWidth, int currentHeight)
{
    showChoice(sizeChoiceOnShow(choice_, currentWidth, currentHeight));
}

void TOKBottomDlg::RadioGroup1Click(int item)
{
    showChoice(sizeChoiceForItem(item));
}

void TOKBottomDlg::OKBtnClick()
{
    const int side = canvasSizeOfItem(choice_.item);
    emit sizeChosen(side);
    hide();
}

void TOKBottomDlg::CancelBtnClick()
{
    reject();
}

void TOKBottomDlg::showChoice(const SizeChoice& choice)
{
    choice_ = choice;
    if (QAbstractButton* button = RadioGroup1->button(choice.item))
        button->setChecked(true);
    Edit4->setText(QString::number(choice.widthPixels));
    Edit5->setText(QString::number(choice.heightPixels));
    Edit6->setText(QString::number(choice.widthMillimetres));
    Edit7->setText(QString::number(choice.heightMillimetres));
}

} // namespace pimoko
