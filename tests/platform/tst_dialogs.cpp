#include "platform/dialogs.h"
#include "platform/picture_preview.h"
#include "platform/print_dialog.h"
#include "support/private_home.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::SaveAnswer)

namespace {

// Runs `act` on the modal dialog once it is up.
void whenModalShows(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        act(QApplication::activeModalWidget());
    });
}

QStringList buttonsLeftToRight(QMessageBox* box)
{
    QList<QAbstractButton*> buttons = box->findChild<QDialogButtonBox*>()->buttons();
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QAbstractButton* button : buttons)
        texts << button->text();
    return texts;
}

} // namespace

// The real boxes and file dialogs behind the Dialogs seam, driven once each.
class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void questionBox_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<SaveAnswer>("answer");
        QTest::newRow("Enter takes the default") << "enter" << SaveAnswer::Yes;
        QTest::newRow("No button") << "no" << SaveAnswer::No;
        QTest::newRow("Cancel button") << "cancel" << SaveAnswer::Cancel;
        QTest::newRow("Esc") << "escape" << SaveAnswer::Cancel;
        QTest::newRow("close box") << "close" << SaveAnswer::Cancel;
    }
    void questionBox()
    {
        QFETCH(QString, how);
        QFETCH(SaveAnswer, answer);
        QString title, text;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModalShows([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = buttonsLeftToRight(box);
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("はい(&Y)"));
            if (how == QStringLiteral("enter"))
                QTest::keyClick(box, Qt::Key_Return);
            else if (how == QStringLiteral("escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (how == QStringLiteral("close"))
                box->close();
            else
                box->findChild<QPushButton*>(how == QStringLiteral("no") ? "No" : "Cancel")->click();
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.askYesNoCancel(nullptr, QStringLiteral("『 a.ico 』\r\n\r\n　保存しますか？")), answer);
        QCOMPARE(title, QStringLiteral("確認"));
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(text, QStringLiteral("『 a.ico 』\n\n　保存しますか？"));
        QCOMPARE(buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"), QStringLiteral("キャンセル")}));
    }

    // The question before a file is replaced: No unless Yes is chosen.
    void yesNoBox_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Enter takes the default") << "enter" << false;
        QTest::newRow("Yes button") << "yes" << true;
        QTest::newRow("Esc") << "escape" << false;
    }
    void yesNoBox()
    {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        QString title;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModalShows([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            icon = box->icon();
            buttons = buttonsLeftToRight(box);
            if (how == u"enter")
                QTest::keyClick(box, Qt::Key_Return);
            else if (how == u"escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->findChild<QPushButton*>("Yes")->click();
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.askYesNo(nullptr, QStringLiteral("ファイル \"/a.ico\" は既に存在します。置き換えますか?")), yes);
        QCOMPARE(title, QStringLiteral("確認"));
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    }

    // The question before a save into an icon of several images: Enter
    // keeps the other images, or, when that is not offered, saves nothing.
    void keepImagesBox_data()
    {
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("how");
        QTest::addColumn<SaveAnswer>("answer");
        QTest::newRow("Enter keeps them") << true << "enter" << SaveAnswer::Yes;
        QTest::newRow("No button") << true << "No" << SaveAnswer::No;
        QTest::newRow("not offered, Enter") << false << "enter" << SaveAnswer::Cancel;
        QTest::newRow("not offered, No button") << false << "No" << SaveAnswer::No;
        QTest::newRow("Esc") << true << "escape" << SaveAnswer::Cancel;
    }
    void keepImagesBox()
    {
        QFETCH(bool, offered);
        QFETCH(QString, how);
        QFETCH(SaveAnswer, answer);
        QStringList buttons;
        Qt::TextFormat format = Qt::AutoText;
        whenModalShows([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            buttons = buttonsLeftToRight(box);
            format = box->textFormat();
            if (how == u"enter")
                QTest::keyClick(box, Qt::Key_Return);
            else if (how == u"escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->findChild<QPushButton*>(how)->click();
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.askKeepOtherImages(nullptr, QStringLiteral("<b>4</b> 個"), offered), answer);
        QCOMPARE(format, Qt::PlainText);
        const QStringList others{QStringLiteral("いいえ(&N)"), QStringLiteral("キャンセル")};
        QCOMPARE(buttons, offered ? QStringList{QStringLiteral("はい(&Y)")} + others : others);
    }

    // The offer of a recovery copy: Enter answers Yes; only a button
    // answers; a box that goes without one is no answer.
    void yesDefaultBox_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");  // -1 none
        QTest::newRow("Enter takes the default") << "enter" << 1;
        QTest::newRow("No button") << "no" << 0;
        QTest::newRow("Esc and the close box do nothing") << "escape" << 0;
        QTest::newRow("gone unanswered") << "gone" << -1;
    }
    void yesDefaultBox()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        whenModalShows([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            icon = box->icon();
            buttons = buttonsLeftToRight(box);
            if (how == u"enter") {
                QTest::keyClick(box, Qt::Key_Return);
            } else if (how == u"gone") {
                box->done(0);
            } else {
                QTest::keyClick(box, Qt::Key_Escape);
                box->close();
                QVERIFY(box->isVisible());
                box->findChild<QPushButton*>("No")->click();
            }
        });
        QtDialogs dialogs;
        const std::optional<bool> yes = dialogs.askYesNoDefaultYes(nullptr, QStringLiteral("復元しますか?"));
        QCOMPARE(yes ? int(*yes) : -1, answer);
        QCOMPARE(title, QStringLiteral("確認"));
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    }

    void refusalAndErrorBoxes()
    {
        QtDialogs dialogs;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        const auto look = [&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->accept();
        };
        whenModalShows(look);
        dialogs.showRefusal(nullptr, QStringLiteral(" 『 64 X 64 』"));
        QCOMPARE(title, QStringLiteral(" ピモコ "));
        QCOMPARE(icon, QMessageBox::NoIcon);
        whenModalShows(look);
        dialogs.showError(nullptr, QStringLiteral("ファイル \"<b>x</b>\". を作成できません"));
        QCOMPARE(title, QStringLiteral("ピモコ"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(text, QStringLiteral("ファイル \"<b>x</b>\". を作成できません."));
    }

    void fullStopRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Japanese") << "不正です" << "不正です.";
        QTest::newRow("letter") << "abc" << "abc.";
        QTest::newRow("full stop") << "abc." << "abc.";
        QTest::newRow("sorts before the stop") << "abc!" << "abc!";
        QTest::newRow("empty") << "" << "";
    }
    void fullStopRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(withFullStop(text), shown);
    }

    void saveDialogShowsThePreviewAndTellsTheKind()
    {
        PrivateHome home;
        const QString preset = home.path() + QStringLiteral("/_.bmp");
        QImage picture(20, 16, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(preset, "BMP"));
        QString sizeShown;
        whenModalShows([&](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            QVERIFY(dialog);
            QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog->nameFilters(), (QStringList{QStringLiteral("アイコン (*.ico)"), QStringLiteral("ビットマップ (*.bmp)")}));
            sizeShown = dialog->findChild<PicturePreview*>()->sizeText();
            // A name typed without an extension takes the default one.
            dialog->selectNameFilter(QStringLiteral("ビットマップ (*.bmp)"));
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("drawing"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtDialogs dialogs;
        const std::optional<SaveChoice> choice = dialogs.askSaveFileName(nullptr, preset, QStringLiteral("bmp"));
        QCOMPARE(sizeShown, QStringLiteral("20 x 16"));
        QVERIFY(choice);
        QCOMPARE(choice->fileName, home.path() + QStringLiteral("/drawing.bmp"));
        QCOMPARE(choice->kind, SaveKind::Bitmap);
    }

    void openDialogPreviewShowsWhatOpenPlaces_data()
    {
        // A file and the picture Open places (ImageMagick's rendering of the
        // icon entry chosen, on white; none for a file Open refuses).
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("picture");
        const QString data = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
        QTest::newRow("icon of 16 and 32") << data + "icons/depth4_16_32.ico" << data + "icons/depth4_16_32.ppm";
        QTest::newRow("icon of 48") << data + "icons/only48.ico" << data + "icons/only48.ppm";
        QTest::newRow("cursor") << "arrow.cur" << data + "icons/two32.ppm";
        QTest::newRow("program") << data + "pe/pe32_icon.exe" << "";
        QTest::newRow("bitmap too large") << "big.bmp" << "";
        QTest::newRow("kind Open refuses") << "big.png" << "";
        QTest::newRow("not an icon") << "big.ico" << "";
    }
    void openDialogPreviewShowsWhatOpenPlaces()
    {
        QFETCH(QString, file);
        QFETCH(QString, picture);
        QTemporaryDir folder;
        QVERIFY(QImage(65, 4, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("big.bmp"))));
        QVERIFY(QImage(65, 4, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("big.png"))));
        QVERIFY(QFile::copy(folder.filePath(QStringLiteral("big.png")), folder.filePath(QStringLiteral("big.ico"))));
        QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/two32.ico"), folder.filePath(QStringLiteral("arrow.cur"))));
        const QString path = QFileInfo(file).isAbsolute() ? file : folder.filePath(file);
        const bool opens = !file.startsWith(u"big");
        QString size;
        QImage shown;
        whenModalShows([&](QWidget* widget) {
            // The file made current in the dialog's list, as a click does.
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            dialog->setDirectory(QFileInfo(path).absolutePath());
            dialog->findChild<QListView*>(QStringLiteral("listView"))->setCurrentIndex(dialog->findChild<QFileSystemModel*>()->index(path));
            auto* preview = dialog->findChild<PicturePreview*>();
            (void)QTest::qWaitFor([&] { return !preview->sizeText().isEmpty(); }, opens ? 5000 : 200);
            size = preview->sizeText();
            shown = dialog->findChild<QLabel*>(QStringLiteral("PreviewPicture"))->pixmap().toImage();
            dialog->reject();
        });
        QVERIFY(!QtDialogs().askOpenFileName(nullptr));
        QCOMPARE(size, opens ? QStringLiteral("32 x 32") : QString());
        QCOMPARE(shown.size(), opens ? QSize(128, 128) : QSize(0, 0));
        if (!picture.isEmpty())
            QCOMPARE(shown.convertToFormat(QImage::Format_RGB32).scaled(32, 32), QImage(picture).convertToFormat(QImage::Format_RGB32));
    }

    void printDialogOffersPrinterSettingsAndCopiesOnly()
    {
        // What can be used on any tab once the options are unfolded, by
        // Qt's names of the controls.
        QStringList usable;
        whenModalShows([&](QWidget* dialog) {
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            for (QAbstractButton* button : buttons->buttons())
                if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
                    button->click();  // "Options >>"
            auto* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("tabs"));
            for (int tab = 0; tab < tabs->count(); ++tab) {
                tabs->setCurrentIndex(tab);
                for (QWidget* control : dialog->findChildren<QWidget*>())
                    if (control->isVisible() && control->focusPolicy() != Qt::NoFocus && control->parent() != buttons
                        && !control->objectName().startsWith(u"qt_") && !usable.contains(control->objectName()))
                        usable << control->objectName();
            }
            qobject_cast<QDialog*>(dialog)->reject();
        });
        QPrinter printer;
        PrintDialog1(&printer).exec();
        usable.sort();
        QCOMPARE(usable, (QStringList{"copies", "printers", "properties", "tabs"}));
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
