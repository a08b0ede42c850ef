#include "app/about_box.h"
#include "app/pimo_form.h"
#include "operations/ok_bottom_dlg.h"
#include "platform/application_style.h"
#include "platform/interface_font.h"
#include "platform/picture_preview.h"
#include "support/editor_fixture.h"
#include "support/private_home.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace pimoko;

// What each window shows, pixel for pixel, against the pictures kept in
// tests/data/pictures/. With PIMOKO_WRITE_PICTURES set (`make pictures`)
// they are written there instead, for a change of a window that is meant.
class WindowPicturesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowLooksAsStored_data();
    void windowLooksAsStored();

private:
    PrivateHome home_;
};

namespace {

void sendMouse(QWidget* view, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at)
{
    QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

// A drag on the editing view from one cell to another with one button.
void drag(TPimoForm1& form, Qt::MouseButton button, QPoint from, QPoint to)
{
    QWidget* view = form.findChild<QWidget*>(QStringLiteral("Im1"));
    sendMouse(view, QEvent::MouseButtonPress, button, button, from);
    sendMouse(view, QEvent::MouseMove, Qt::NoButton, button, to);
    sendMouse(view, QEvent::MouseButtonRelease, button, Qt::NoButton, to);
}

void useTool(TPimoForm1& form, const char* button)
{
    QTest::mouseClick(form.findChild<QWidget*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// Shows the window of the row (the main window after a few strokes in both
// colours, a box opened from it, or the open dialog's preview pane on a
// picture narrower than it is high) and returns it.
QWidget* showWindow(const QString& name, TPimoForm1& form, std::unique_ptr<PicturePreview>& pane, const QString& work)
{
    if (name == u"about_box") {
        form.ActAboutExecute();
        return form.aboutBox();
    }
    if (name == u"size_dialog") {
        form.ActSizeExecute();
        return form.sizeDialog();
    }
    if (name == u"open_preview") {
        QImage source(24, 40, QImage::Format_RGB32);
        source.fill(Qt::yellow);
        for (int y = 0; y < 40; ++y)
            source.setPixel(y * 24 / 40, y, qRgb(0, 0, 0xFF));
        source.save(work + "/narrow.bmp");
        pane = std::make_unique<PicturePreview>();
        pane->showFile(work + "/narrow.bmp");
        pane->show();
        return pane.get();
    }
    drag(form, Qt::LeftButton, cellPoint(3, 3), cellPoint(3, 3));
    drag(form, Qt::RightButton, cellPoint(5, 3), cellPoint(5, 3));
    useTool(form, "Line1");
    drag(form, Qt::LeftButton, cellPoint(2, 28), cellPoint(29, 6));
    useTool(form, "Rect1");
    drag(form, Qt::RightButton, cellPoint(8, 12), cellPoint(20, 22));
    return &form;
}

} // namespace

// The pictures were drawn with these fonts; another font changes every
// row, and is named here instead.
void WindowPicturesTest::initTestCase()
{
    useApplicationStyle();
    QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(QFontInfo(uiFont(12)).family(), QStringLiteral("IPAPGothic"));
}

void WindowPicturesTest::windowLooksAsStored_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("main window after a drawing") << "main_window";
    QTest::newRow("version box") << "about_box";
    QTest::newRow("enlarge/reduce dialog") << "size_dialog";
    QTest::newRow("open dialog's preview pane") << "open_preview";
}

void WindowPicturesTest::windowLooksAsStored()
{
    QFETCH(QString, name);
    QTemporaryDir work;
    TPimoForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    std::unique_ptr<PicturePreview> pane;
    QWidget* shown = showWindow(name, form, pane, work.path());
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QImage actual = shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(actual.devicePixelRatio(), 1.0);
    const QString stored = QStringLiteral(PIMOKO_TEST_DATA_DIR "/pictures/") + name + ".png";
    if (qEnvironmentVariableIsSet("PIMOKO_WRITE_PICTURES")) {
        QVERIFY(actual.save(stored));
        return;
    }
    const QImage expected = QImage(stored).convertToFormat(QImage::Format_RGB32);
    QRect differs;
    qsizetype count = 0;
    for (int y = 0; y < std::max(actual.height(), expected.height()); ++y)
        for (int x = 0; x < std::max(actual.width(), expected.width()); ++x)
            if (!actual.valid(x, y) || !expected.valid(x, y) || actual.pixel(x, y) != expected.pixel(x, y)) {
                differs |= QRect(x, y, 1, 1);
                ++count;
            }
    // The window as drawn this time lies beside the build while it differs.
    const QString kept =
        QDir(QCoreApplication::applicationDirPath() + "/../pictures-actual").absoluteFilePath(name + ".png");
    QFile::remove(kept);
    if (count == 0)
        return;
    QDir().mkpath(QFileInfo(kept).path());
    actual.save(kept);
    QFAIL(qPrintable(QString::asprintf("%lld pixels differ from %s (%d x %d against %d x %d), within %d,%d %d x %d; "
                                       "the window as shown is in %s",
                                       qlonglong(count), qPrintable(stored), actual.width(), actual.height(),
                                       expected.width(), expected.height(), differs.x(), differs.y(), differs.width(),
                                       differs.height(), qPrintable(kept))));
}

int main(int argc, char* argv[])
{
    // Before Qt reads the fonts.
    qputenv("FONTCONFIG_FILE", PIMOKO_TEST_DATA_DIR "/pictures/fonts.conf");
    QApplication application(argc, argv);
    WindowPicturesTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window_pictures.moc"
