#include "app/about_box.h"

#include "app/glyph_list.h"
#include "platform/bevel_panel.h"
#include "platform/caption_label.h"
#include "platform/interface_font.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace pimoko {

namespace {

QFont boxFont(int pixelSize, bool bold)
{
    QFont font = uiFont(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowIcon(QIcon(programPicture()));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(false);
    setFont(uiFont(12));
    setFixedSize(273, 195);

    auto* panel = new BevelPanel(this, BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Raised);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(7, 7, 258, 148);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(7, 7, 60, 53);
    QPixmap picture = programPicture();
    if (!picture.isNull()) {
        // Black in the picture is transparent.
        picture = picture.scaled(60, 53, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        picture.setMask(picture.createMaskFromColor(Qt::black));
        icon->setPixmap(picture);
    }

    makeCaptionLabel(panel, "ProductName", QStringLiteral("ピモコ"), 81, 10, boxFont(27, true), QColor(0xFF, 0, 0));
    makeCaptionLabel(panel, "Version", QStringLiteral("バージョン 1.8"), 81, 45, boxFont(16, true), QColor(0, 0, 0xFF));
    makeCaptionLabel(panel, "Copyright", QStringLiteral("Copyright (C) ルポミ舎"), 30, 73, boxFont(12, false));
    QLabel* comments = makeCaptionLabel(panel, "Comments",
                                        QStringLiteral("オリジナルアイコンを沢山作ってパソコンをカスタマイズしよう！"), 30,
                                        95, boxFont(12, false));
    comments->setWordWrap(true);
    comments->setGeometry(30, 95, 162, 24);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(102, 165, 69, 23);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::OKButtonClick()
{
    hide();
}

void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    // The box has no cancel button, so Esc leaves it open.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace pimoko
