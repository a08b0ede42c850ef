#include "platform/dialogs.h"
#include "platform/picture_preview.h"
#include "platform/print_dialog.h"
#include "support/private_home.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
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
        // A file, and the picture Open places (ImageMagick's rendering of the
        // icon entry chosen, on white in the 32 x 32 square; an empty name
        // for a file Open refuses or cannot read) with its size.
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("size");
        const QString icons = QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/");
        QTest::newRow("icon: 32 x 32 of 16 and 32") << icons + "depth4_16_32.ico" << icons + "depth4_16_32.ppm" << "32 x 32";
        QTest::newRow("icon: 48 cut to the canvas") << icons + "only48.ico" << icons + "only48.ppm" << "32 x 32";
        QTest::newRow("cursor in icon layout") << "arrow.cur" << icons + "two32.ppm" << "32 x 32";
        QTest::newRow("program") << PIMOKO_TEST_DATA_DIR "/pe/pe32_icon.exe" << "" << "32 x 32";
        QTest::newRow("bitmap") << "red.bmp" << "red.bmp" << "20 x 16";
        QTest::newRow("bitmap too large") << "big.bmp" << "" << "";
        QTest::newRow("kind Open refuses") << "red.png" << "" << "";
        QTest::newRow("not a bitmap") << "text.bmp" << "" << "";
    }
    void openDialogPreviewShowsWhatOpenPlaces()
    {
        QFETCH(QString, file);
        QFETCH(QString, picture);
        QFETCH(QString, size);
        QTemporaryDir folder;
        QImage red(20, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(folder.filePath(QStringLiteral("red.bmp")), "BMP"));
        QVERIFY(red.save(folder.filePath(QStringLiteral("red.png")), "PNG"));
        QVERIFY(QImage(65, 64, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("big.bmp")), "BMP"));
        QFile text(folder.filePath(QStringLiteral("text.bmp")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("hello") == 5);
        text.close();
        QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/two32.ico"), folder.filePath(QStringLiteral("arrow.cur"))));
        const QString path = QFileInfo(file).isAbsolute() ? file : folder.filePath(file);
        if (!picture.isEmpty() && QFileInfo(picture).isRelative())
            picture = folder.filePath(picture);

        QString sizeShown;
        QImage shown;
        whenModalShows([&](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            // In the file's folder, the file made current as a click on it
            // in the list does.
            dialog->setDirectory(QFileInfo(path).absolutePath());
            auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
            list->setCurrentIndex(dialog->findChild<QFileSystemModel*>()->index(path));
            auto* preview = dialog->findChild<PicturePreview*>();
            (void)QTest::qWaitFor([&] { return !preview->sizeText().isEmpty(); }, size.isEmpty() ? 200 : 5000);
            sizeShown = preview->sizeText();
            shown = dialog->findChild<QLabel*>(QStringLiteral("PreviewPicture"))->pixmap().toImage();
            dialog->reject();
        });
        QtDialogs dialogs;
        QVERIFY(!dialogs.askOpenFileName(nullptr));
        QCOMPARE(sizeShown, size);
        QCOMPARE(shown.isNull(), size.isEmpty());
        if (picture.isEmpty())
            return;
        // Magnified by a whole factor: one pixel in each block tells its colour.
        const QImage expected = QImage(picture).convertToFormat(QImage::Format_RGB32);
        const int factor = shown.width() / expected.width();
        QVERIFY(factor >= 2);
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32).scaled(expected.size()), expected);
    }

    void printDialogOffersCopiesAndPrinterSettingsOnly_data()
    {
        // Qt's names of the print dialog's controls, and whether each is
        // there to use once its options are unfolded.
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("offered");
        QTest::newRow("copies") << "copies" << true;
        QTest::newRow("printer settings") << "properties" << true;
        for (const char* name : {"printAll", "printRange", "pagesRadioButton", "pagesLineEdit", "printCurrentPage",
                                 "printSelection", "pageSetCombo", "collate", "reverse", "duplex", "filename"})
            QTest::newRow(name) << name << false;
    }
    void printDialogOffersCopiesAndPrinterSettingsOnly()
    {
        QFETCH(QString, control);
        QFETCH(bool, offered);
        bool shown = false;
        int printToFileEntries = -1;
        whenModalShows([&](QWidget* widget) {
            const auto buttons = widget->findChild<QDialogButtonBox*>()->buttons();
            for (QAbstractButton* button : buttons)
                if (widget->findChild<QDialogButtonBox*>()->buttonRole(button) == QDialogButtonBox::ResetRole)
                    button->click();  // "Options >>"
            auto* tabs = widget->findChild<QTabWidget*>(QStringLiteral("tabs"));
            for (int tab = 0; tab < tabs->count(); ++tab) {
                tabs->setCurrentIndex(tab);
                shown = shown || widget->findChild<QWidget*>(control)->isVisible();
            }
            printToFileEntries = widget->findChild<QComboBox*>(QStringLiteral("printers"))->findText(QStringLiteral("Print to File (PDF)"));
            qobject_cast<QDialog*>(widget)->reject();
        });
        QPrinter printer;
        PrintDialog1 dialog(&printer);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(shown, offered);
        QCOMPARE(printToFileEntries, -1);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
