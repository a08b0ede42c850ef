// A random-event soak of the real window: presses, moves, releases and
// double clicks of every button with every modifier over every visible
// widget and just outside it, keys and shortcuts, every command, opens and
// drops of good and bad files, with every question answered at random.
// After each event the window must still hold together (see checkWindow).
//
// PIMOKO_SOAK_SEED and PIMOKO_SOAK_EVENTS choose the run; a failure names
// the seed and the event number, so that the same run can be replayed.
#include "app/action_list.h"
#include "app/pimo_form.h"
#include "document/document_commands.h"
#include "editor/pixel_view.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_picture.h"
#include "files/codec/icon_writer.h"
#include "files/model/file_names.h"
#include "platform/dialogs.h"
#include "raster/icon_parts.h"
#include "support/find_child.h"
#include "support/private_home.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <deque>
#include <functional>
#include <random>

using namespace pimoko;

namespace {

qulonglong envNumber(const char* name, qulonglong fallback)
{
    bool ok = false;
    const qulonglong value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

// The Dialogs seam answering every question at random.
// The last question asked before keeping an icon's other images.
QString lastKeepQuestion;

class RandomDialogs : public Dialogs {
public:
    RandomDialogs(std::mt19937& random, QStringList openable, QString saveFolder, std::function<void(QString)> opening)
        : random_(random)
        , openable_(std::move(openable))
        , saveFolder_(std::move(saveFolder))
        , opening_(std::move(opening))
    {
    }

    std::optional<Color> chooseColor(QWidget*, Color) override
    {
        if (pick(3) == 0)
            return std::nullopt;
        return Color(random_() & 0xFFFFFF);
    }
    SaveAnswer askYesNoCancel(QWidget*, const QString&) override
    {
        return std::array{SaveAnswer::Yes, SaveAnswer::No, SaveAnswer::Cancel}[pick(3)];
    }
    bool askYesNo(QWidget*, const QString&) override { return pick(2) == 0; }
    std::optional<bool> askYesNoDefaultYes(QWidget*, const QString&) override { return pick(2) == 0; }
    SaveAnswer askKeepOtherImages(QWidget*, const QString& question, bool offered) override
    {
        lastKeepQuestion = question;
        const std::array answers{SaveAnswer::Yes, SaveAnswer::No, SaveAnswer::Cancel};
        return offered ? answers[pick(3)] : answers[1 + pick(2)];
    }
    void showRefusal(QWidget*, const QString&) override {}
    void showError(QWidget*, const QString&) override {}
    std::optional<QString> askOpenFileName(QWidget*) override
    {
        if (pick(4) == 0)
            return std::nullopt;
        const QString file = openable_.at(pick(openable_.size()));
        opening_(file);
        return file;
    }
    std::optional<SaveChoice> askSaveFileName(QWidget*, const QString&, const QString&) override
    {
        switch (pick(6)) {
        case 0:
            return std::nullopt;
        case 1:
        case 2: {
            const QString name = failingTargets(saveFolder_).at(pick(2));
            return SaveChoice{name, name.endsWith(u".ico") ? SaveKind::Icon : SaveKind::Bitmap};
        }
        default: {
            const bool icon = pick(2) == 0;
            return SaveChoice{saveFolder_ + QStringLiteral("/saved%1.%2").arg(pick(3)).arg(icon ? "ico" : "bmp"),
                              icon ? SaveKind::Icon : SaveKind::Bitmap};
        }
        }
    }
    PrintAnswer askToPrint(QWidget*, QPrinter& printer) override
    {
        printer.setOutputFileName(saveFolder_ + QStringLiteral("/printed.pdf"));
        return std::array{PrintAnswer::Print, PrintAnswer::Cancel, PrintAnswer::NoPrinter}[pick(3)];
    }
    void beep() override {}

    // Names a save cannot write: a folder in the way, a folder that is not there.
    static QStringList failingTargets(const QString& saveFolder)
    {
        return {saveFolder + QStringLiteral("/folder.ico"), saveFolder + QStringLiteral("/missing/x.bmp")};
    }

private:
    int pick(qsizetype n) { return int(random_() % std::uint32_t(n)); }

    std::mt19937& random_;
    QStringList openable_;
    QString saveFolder_;
    std::function<void(QString)> opening_;
};

constexpr Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

} // namespace

class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void randomEvents();
    void mutatedOpens();

private:
    // Files of every kind the editor opens, good and bad, made in `folder`.
    QStringList makeOpenableFiles(const QString& folder);
    void nextEvent();
    void mouseEvent();
    void keyEvent();
    void commandEvent();
    void fileEvent();
    QWidget* randomWidget();
    QPoint pointAround(const QWidget* widget);
    Qt::KeyboardModifiers randomModifiers();
    // A mouse event at a point of the screen, as Qt delivers it to `receiver`.
    void send(QWidget* receiver, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers);
    // The widget of near's window under a point of the screen, if any.
    static QWidget* widgetAt(QWidget* near, QPoint global);
    bool overEditingView(QPoint global) const;
    // What must hold after every event; empty when it all does.
    QString checkWindow() const;
    int pick(qsizetype n) { return int(random_() % std::uint32_t(n)); }
    // A few random changes of the kinds that break readers: flipped and
    // overwritten bytes, little-endian fields set to edge values, cuts,
    // repeated and inserted runs.
    void mutate(QByteArray& bytes);
    QString failureText(qulonglong seed, qulonglong n, const QString& broken) const;

    std::optional<PrivateHome> home_;
    QTemporaryDir folder_;
    QString saveFolder_;
    QStringList openable_;
    std::mt19937 random_;
    std::unique_ptr<TPimoForm1> window_;
    // The widget holding the mouse while a button is down, as Qt's grab.
    QPointer<QWidget> grabbed_;
    Qt::MouseButtons held_;
    // Whether the editing view's handlers may have seen a press or a drawing
    // move without the release that ends the stroke: a right-button drag
    // released off the view never ends, as the right button does not keep
    // the mouse. The view and previews catch up at the next finished stroke.
    bool strokeOpen_ = false;
    std::deque<QString> recent_;
    mutable QString lastCaption_;
    // The file the last successful save wrote, and the one being opened.
    QString savedName_;
    QString opening_;
    // How much of the window the run reached.
    int saves_ = 0;
    qulonglong withRescue_ = 0;
    qulonglong otherSizes_ = 0;
};

void SoakTest::initTestCase()
{
    home_.emplace();
    QVERIFY(folder_.isValid());
    saveFolder_ = folder_.filePath(QStringLiteral("saved"));
    QVERIFY(QDir().mkpath(saveFolder_ + QStringLiteral("/folder.ico")));
    openable_ = makeOpenableFiles(folder_.filePath(QStringLiteral("open")));
}

QStringList SoakTest::makeOpenableFiles(const QString& folder)
{
    QDir().mkpath(folder);
    QStringList files;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        files << file.fileName();
    };
    const auto readAll = [](const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        return file.readAll();
    };
    // Copies: the save command writes back to the file a document came from.
    const auto copy = [&](const QString& path) {
        const QString to = QDir(folder).filePath(QFileInfo(path).fileName());
        if (!QFile::copy(path, to) || !QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner))
            qFatal("cannot copy %s", qPrintable(path));
        files << to;
    };
    const QDir icons(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons"));
    for (const QString& name : icons.entryList({"*.ico", "*.png"}, QDir::Files))
        copy(icons.filePath(name));
    const QDir programs(QStringLiteral(PIMOKO_TEST_DATA_DIR "/pe"));
    for (const QString& name : programs.entryList({"*.exe"}, QDir::Files))
        copy(programs.filePath(name));
    const QDir bitmaps(QStringLiteral(PIMOKO_SOURCE_DIR "/fuzz/corpus/bmp_file"));
    for (const QString& name : bitmaps.entryList({"pal1.bmp", "pal4rle.bmp", "pal8os2.bmp"}, QDir::Files))
        copy(bitmaps.filePath(name));
    // Bitmaps of a few sizes, up to one past the largest the editor opens.
    for (const int side : {1, 16, 20, 37, 64, 65}) {
        PixelBuffer image(side, side + (side % 3), kWhite);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, Color((x * 0x1234 + y * 0x56789) & 0xFFFFFF));
        const std::vector<std::uint8_t> bytes = bitmapFileBytes(image);
        write(QStringLiteral("made%1.bmp").arg(side), QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    // Broken files: cut short, empty, not what the name says, missing, a folder.
    write(QStringLiteral("cut.ico"), readAll(QDir(folder).filePath("depth4_16_32.ico")).left(300));
    write(QStringLiteral("cut.bmp"), readAll(QDir(folder).filePath("made16.bmp")).left(100));
    write(QStringLiteral("cut.exe"), readAll(QDir(folder).filePath("pe32_icon.exe")).left(700));
    write(QStringLiteral("empty.bmp"), {});
    write(QStringLiteral("text.ico"), "not an icon\n");
    write(QStringLiteral("notes.txt"), "hello\n");
    files << QDir(folder).filePath(QStringLiteral("missing.bmp"));
    QDir().mkpath(QDir(folder).filePath(QStringLiteral("folder.bmp")));
    files << QDir(folder).filePath(QStringLiteral("folder.bmp"));
    // A cursor file: cursor creation mode.
    copy(QStringLiteral(PIMOKO_SOURCE_DIR "/resources/cursors/pen.cur"));
    return files;
}

void SoakTest::randomEvents()
{
    const qulonglong seed = envNumber("PIMOKO_SOAK_SEED", 1);
    const qulonglong events = envNumber("PIMOKO_SOAK_EVENTS", 3000);
    qInfo("soak: seed %llu, %llu events (PIMOKO_SOAK_SEED, PIMOKO_SOAK_EVENTS)", seed, events);
    random_.seed(std::uint32_t(seed));
    window_ = std::make_unique<TPimoForm1>(std::make_unique<RandomDialogs>(random_, openable_, saveFolder_,
                                                                        [this](const QString& file) { opening_ = file; }));
    // Cursor creation mode writes beside the program: here, among the saved files.
    window_->documentCommands()->setProgramFilePath(saveFolder_ + QStringLiteral("/pimoko"));
    connect(window_->documentCommands(), &DocumentCommands::saved, this,
            [this](const QString& fileName) {
                savedName_ = fileName;
                ++saves_;
            });
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    const bool trace = qEnvironmentVariableIsSet("PIMOKO_SOAK_TRACE");
    for (qulonglong n = 1; n <= events; ++n) {
        const std::size_t known = recent_.size();
        nextEvent();
        if (trace)
            for (std::size_t i = known; i < recent_.size(); ++i)
                qInfo("%llu: %s", n, qPrintable(recent_[i]));
        QCoreApplication::processEvents();
        // An opened file is not one this run saved, even under the same name.
        if (!opening_.isEmpty() && QString::fromStdString(window_->canvas().document().CurrentFileName()) == opening_)
            savedName_.clear();
        opening_.clear();
        if (!window_->isVisible()) {
            recent_.push_back(QStringLiteral("(window shown again)"));
            window_->show();
            window_->activateWindow();
        }
        const QString broken = checkWindow();
        if (!broken.isEmpty())
            QFAIL(qPrintable(failureText(seed, n, broken)));
        while (recent_.size() > 8)
            recent_.pop_front();
        if (window_->rescueHistory().canRescue())
            ++withRescue_;
        if (window_->canvas().ImageWidth() != 32 || window_->canvas().ImageHeight() != 32)
            ++otherSizes_;
    }
    qInfo("soak: %d files saved; %llu events with a rescue step, %llu with another size than 32 x 32", saves_,
          withRescue_, otherSizes_);
    window_.reset();
}

void SoakTest::nextEvent()
{
    const int kind = pick(100);
    if (kind < 70)
        mouseEvent();
    else if (kind < 85)
        keyEvent();
    else if (kind < 95)
        commandEvent();
    else
        fileEvent();
}

QWidget* SoakTest::randomWidget()
{
    // Mostly the editing view and the palette, where the work happens.
    const int where = pick(10);
    if (where < 4)
        return findNamedChild(window_.get(), "Im1");
    if (where < 5)
        return findNamedChild(window_.get(), "ColorGrid1");
    // The window's own children, its dialogs and menus among them, in the
    // order they were made: the same run for the same seed.
    QWidgetList widgets{window_.get()};
    for (QWidget* child : window_->findChildren<QWidget*>())
        if (child->isVisible())
            widgets << child;
    return widgets.at(pick(widgets.size()));
}

QPoint SoakTest::pointAround(const QWidget* widget)
{
    // Inside, or up to four pixels beyond any edge.
    return {pick(widget->width() + 8) - 4, pick(widget->height() + 8) - 4};
}

Qt::KeyboardModifiers SoakTest::randomModifiers()
{
    const int bits = pick(16);
    Qt::KeyboardModifiers modifiers;
    if (bits & 1)
        modifiers |= Qt::ShiftModifier;
    if (bits & 2)
        modifiers |= Qt::ControlModifier;
    if (bits & 4)
        modifiers |= Qt::AltModifier;
    if ((bits & 8) && pick(4) == 0)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

void SoakTest::send(QWidget* receiver, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers modifiers)
{
    const QPoint at = receiver->mapFromGlobal(global);
    recent_.push_back(QStringLiteral("mouse %1 on %2 at (%3, %4) button %5 buttons %6 modifiers %7, tool %8")
                          .arg(int(type)).arg(receiver->objectName().isEmpty() ? receiver->metaObject()->className() : receiver->objectName())
                          .arg(at.x()).arg(at.y()).arg(int(button)).arg(int(buttons)).arg(int(modifiers)).arg(int(window_->tool())));
    QMouseEvent event(type, at, global, button, buttons, modifiers);
    QApplication::sendEvent(receiver, &event);
}

QWidget* SoakTest::widgetAt(QWidget* near, QPoint global)
{
    QWidget* top = near->window();
    const QPoint inTop = top->mapFromGlobal(global);
    if (!top->rect().contains(inTop))
        return nullptr;
    QWidget* child = top->childAt(inTop);
    return child ? child : top;
}

bool SoakTest::overEditingView(QPoint global) const
{
    const QWidget* view = findNamedChild(window_.get(), "Im1");
    return view->isVisible() && view->rect().contains(view->mapFromGlobal(global));
}

void SoakTest::mouseEvent()
{
    const Qt::KeyboardModifiers modifiers = randomModifiers();
    QWidget* near = randomWidget();
    const QPoint global = near->mapToGlobal(pointAround(near));
    if (held_ && grabbed_) {
        // Qt sends the moves and releases to the widget that was pressed,
        // wherever the pointer is.
        QWidget* target = grabbed_;
        const QPoint at = pick(2) == 0 ? global : target->mapToGlobal(pointAround(target));
        const int what = pick(10);
        if (what < 6) {
            // The right button alone draws wherever it was pressed.
            if (held_ & Qt::RightButton)
                strokeOpen_ = true;
            send(target, QEvent::MouseMove, at, Qt::NoButton, held_, modifiers);
        } else if (what < 9) {
            Qt::MouseButton button;
            do
                button = kButtons[pick(3)];
            while (!(held_ & button));
            held_ &= ~button;
            const bool onView = target->objectName() == u"Im1";
            const bool inWindow = target->window() == window_.get();
            send(target, QEvent::MouseButtonRelease, at, button, held_, modifiers);
            if (!held_ && overEditingView(at) && (onView || (inWindow && button == Qt::RightButton)))
                strokeOpen_ = false;
        } else {
            const Qt::MouseButton button = kButtons[pick(3)];
            if (!(held_ & button)) {
                held_ |= button;
                send(target, QEvent::MouseButtonPress, at, button, held_, modifiers);
            }
        }
        if (!held_)
            grabbed_ = nullptr;
        return;
    }
    held_ = {};
    QWidget* target = widgetAt(near, global);
    if (!target)
        return;
    const Qt::MouseButton button = kButtons[pick(3)];
    const bool onView = target->objectName() == u"Im1";
    switch (pick(4)) {
    case 0:
        send(target, QEvent::MouseMove, global, Qt::NoButton, {}, modifiers);
        break;
    case 1: {
        QPointer<QWidget> guard(target);
        if (onView)
            strokeOpen_ = true;
        send(target, QEvent::MouseButtonPress, global, button, button, modifiers);
        if (guard)
            send(target, QEvent::MouseButtonRelease, global, button, {}, modifiers);
        if (guard)
            send(target, QEvent::MouseButtonDblClick, global, button, button, modifiers);
        if (guard)
            send(target, QEvent::MouseButtonRelease, global, button, {}, modifiers);
        if (onView)
            strokeOpen_ = false;
        break;
    }
    default:
        held_ = button;
        grabbed_ = target;
        if (onView)
            strokeOpen_ = true;
        send(target, QEvent::MouseButtonPress, global, button, button, modifiers);
        break;
    }
}

void SoakTest::keyEvent()
{
    QList<QKeySequence> shortcuts;
    for (const QAction* action : window_->actions()->findChildren<QAction*>())
        if (!action->shortcut().isEmpty())
            shortcuts << action->shortcut();
    static const Qt::Key plainKeys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space, Qt::Key_Tab,
                                        Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Right, Qt::Key_Delete,
                                        Qt::Key_A, Qt::Key_Z, Qt::Key_F1, Qt::Key_F10, Qt::Key_Alt};
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    if (pick(2) == 0 && !shortcuts.isEmpty()) {
        const QKeyCombination combination = shortcuts.at(pick(shortcuts.size()))[0];
        key = combination.key();
        modifiers = combination.keyboardModifiers();
    } else {
        key = plainKeys[pick(std::size(plainKeys))];
        modifiers = randomModifiers();
    }
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window_.get();
    recent_.push_back(QStringLiteral("key %1 modifiers %2 to %3").arg(int(key)).arg(int(modifiers)).arg(target->objectName()));
    QTest::keyClick(target, key, modifiers);
}

void SoakTest::commandEvent()
{
    // The commands a user can reach: cursor creation mode is entered by
    // opening a cursor file only.
    QList<QAction*> commands;
    for (QAction* action : window_->actions()->findChildren<QAction*>())
        if (action->isVisible())
            commands << action;
    QAction* command = commands.at(pick(commands.size()));
    recent_.push_back(QStringLiteral("command %1").arg(command->objectName()));
    command->trigger();
}

void SoakTest::fileEvent()
{
    const QString file = openable_.at(pick(openable_.size()));
    if (pick(2) == 0) {
        recent_.push_back(QStringLiteral("open %1").arg(file));
        opening_ = file;
        window_->OpenImageFile(file);
        return;
    }
    recent_.push_back(QStringLiteral("drop %1").arg(file));
    opening_ = file;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    const QPoint at(pick(window_->width()), pick(window_->height()));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, {}, {});
    QApplication::sendEvent(window_.get(), &enter);
    if (enter.isAccepted()) {
        QDropEvent drop(at, Qt::CopyAction, &data, {}, {});
        QApplication::sendEvent(window_.get(), &drop);
    }
}

QString SoakTest::checkWindow() const
{
    const Canvas& canvas = window_->canvas();
    const PixelBuffer& image = canvas.actualSize();
    const int width = image.width();
    const int height = image.height();
    // A press on the editing view draws at once; the previews, the modified
    // flag and a shape's last outline follow at the release.
    const bool stroke = strokeOpen_;

    // The magnified view shows the magnified buffer, and its cells the document.
    const auto* im1 = findNamedChild<PixelView>(window_.get(), "Im1");
    if (im1->buffer() != &canvas.magnifiedView || im1->size() != QSize(CellSize * width, CellSize * height))
        return QStringLiteral("the editing view is %1 x %2 for a %3 x %4 image").arg(im1->width()).arg(im1->height()).arg(width).arg(height);
    if (canvas.magnifiedView.width() != CellSize * width || canvas.magnifiedView.height() != CellSize * height)
        return QStringLiteral("the magnified buffer has the wrong size");
    if (!stroke)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (const int inside : {1, 3, 5})
                    if (canvas.magnifiedView.pixel(CellSize * x + inside, CellSize * y + inside) != image.pixel(x, y))
                        return QStringLiteral("magnified cell (%1, %2) shows %3, the document holds %4")
                            .arg(x).arg(y).arg(canvas.magnifiedView.pixel(CellSize * x + inside, CellSize * y + inside), 6, 16, QChar('0'))
                            .arg(image.pixel(x, y), 6, 16, QChar('0'));

    // The previews, while shown, by the transparent-colour rule.
    const QWidget* masks = findNamedChild(window_.get(), "MaskPanel");
    if (masks->isVisibleTo(window_.get()) != canvas.settings.maskPanelVisible)
        return QStringLiteral("the mask panel's visibility does not follow the document");
    if (canvas.settings.maskPanelVisible && !stroke) {
        const IconParts parts = makeIconParts(image);
        const Color back = canvas.settings.BackPanelColor;
        for (const PixelBuffer* preview : {&canvas.andPreview, &canvas.colorPreview, &canvas.resultPreview})
            if (preview->width() != width || preview->height() != height)
                return QStringLiteral("a preview is not the document's size");
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool clear = image.pixel(x, y) == transparentColorOf(image);
                if (canvas.andPreview.pixel(x, y) != parts.andPart.pixel(x, y) || canvas.colorPreview.pixel(x, y) != parts.orPart.pixel(x, y)
                    || canvas.resultPreview.pixel(x, y) != (clear ? back : image.pixel(x, y)))
                    return QStringLiteral("the previews at (%1, %2) break the mask rule").arg(x).arg(y);
            }
    }

    // The rescue history and its command.
    const RescueHistory& rescue = window_->rescueHistory();
    if (rescue.FRescueCount < 0 || rescue.FRescueCount > RescueHistory::SlotCount)
        return QStringLiteral("the rescue history counts %1 steps").arg(rescue.FRescueCount);
    if (window_->actions()->ActUndo->isEnabled() != rescue.canRescue())
        return QStringLiteral("the rescue command is %1 with %2 steps available")
            .arg(window_->actions()->ActUndo->isEnabled() ? "enabled" : "disabled").arg(rescue.FRescueCount);

    // The size box and the caption.
    const QString sizeText = QStringLiteral(" %1 x %2").arg(width).arg(height);
    const auto* sizeBox = findNamedChild<QLineEdit>(window_.get(), "size");
    if (sizeBox->text() != sizeText)
        return QStringLiteral("the size box says \"%1\" for \"%2\"").arg(sizeBox->text(), sizeText);
    // A save that failed, or the icon refusal's emptied name, leaves the
    // caption as it was.
    const std::string& fileName = canvas.document().CurrentFileName();
    const QString name = QString::fromStdString(fileName);
    const QString caption = window_->windowTitle();
    if (caption == QString::fromStdString(captionFor(fileName))) {
        lastCaption_ = caption;
    } else if (caption != lastCaption_ || !(name.isEmpty() || RandomDialogs::failingTargets(saveFolder_).contains(name))) {
        return QStringLiteral("the caption \"%1\" does not name \"%2\"").arg(caption, name);
    }

    // A document said to be saved is byte for byte the file it was saved to.
    if (!stroke && !canvas.document().ImageModified && !savedName_.isEmpty() && name == savedName_) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("the saved document's file %1 cannot be read").arg(name);
        const QByteArray onDisk = file.readAll();
        std::vector<std::uint8_t> expected;
        // Saved into an icon of several images, keeping the others: it opens
        // as drawn, white where the transparent colour is; other colours
        // may have become near ones only when the question said so.
        if (lowerCaseExtension(fileName) == ".ico" && onDisk.size() > 6 && std::uint8_t(onDisk[4]) + 256 * std::uint8_t(onDisk[5]) > 1) {
            const bool nearColours = lastKeepQuestion.contains(QStringLiteral("近い色"));
            try {
                const std::span bytes(reinterpret_cast<const std::uint8_t*>(onDisk.constData()), std::size_t(onDisk.size()));
                const PixelBuffer opened = readIconPicture(bytes);
                bool same = opened.width() == image.width() && opened.height() == image.height();
                for (int y = 0; same && y < image.height(); ++y)
                    for (int x = 0; same && x < image.width(); ++x)
                        same = image.pixel(x, y) == transparentColorOf(image) ? opened.pixel(x, y) == kWhite
                                                                            : nearColours || opened.pixel(x, y) == image.pixel(x, y);
                if (same)
                    return {};
            } catch (const FileError&) {
            }
            return QStringLiteral("the icon saved with its other images, %1, does not open as drawn").arg(name);
        }
        if (lowerCaseExtension(fileName) == ".bmp") {
            expected = bitmapFileBytes(image);
        } else {
            const IconParts parts = makeIconParts(image);
            expected = WriteIconData(parts.andPart, parts.orPart);
        }
        if (onDisk != QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())))
            return QStringLiteral("the document is said to be saved but differs from %1").arg(name);
    }
    return {};
}

QString SoakTest::failureText(qulonglong seed, qulonglong n, const QString& broken) const
{
    QString last;
    for (const QString& event : recent_)
        last += QStringLiteral("\n  ") + event;
    return QStringLiteral("seed %1, event %2: %3\nlast events:%4").arg(seed).arg(n).arg(broken, last);
}

void SoakTest::mutate(QByteArray& bytes)
{
    static const std::uint32_t edges[] = {0, 1, 2, 16, 32, 33, 63, 64, 65, 255, 256, 0x7FFF, 0x8000, 0xFFFF,
                                          0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (int changes = 1 + pick(6); changes > 0 && !bytes.isEmpty(); --changes) {
        const qsizetype at = pick(bytes.size());
        switch (pick(7)) {
        case 0:
            bytes[at] = char(bytes[at] ^ (1 << pick(8)));
            break;
        case 1:
            bytes[at] = char(random_());
            break;
        case 2:
        case 3: {
            // A 16- or 32-bit field; headers are little-endian throughout.
            const std::uint32_t value = edges[pick(std::size(edges))];
            const int width = pick(2) == 0 ? 2 : 4;
            for (int i = 0; i < width && at + i < bytes.size(); ++i)
                bytes[at + i] = char((value >> (8 * i)) & 0xFF);
            break;
        }
        case 4:
            bytes.truncate(at);
            break;
        case 5:
            bytes.insert(at, bytes.mid(pick(bytes.size()), 1 + pick(64)));
            break;
        default:
            bytes.insert(at, QByteArray(1 + pick(16), char(random_())));
            break;
        }
    }
}

void SoakTest::mutatedOpens()
{
    // The whole open routine on hostile files: the question, the kind by
    // extension, the size check, the readers and the placing, each file a
    // mutation of a seed file of the fuzzers or a test icon, now and then
    // under another kind's extension.
    const qulonglong seed = envNumber("PIMOKO_SOAK_SEED", 1);
    const qulonglong opens = envNumber("PIMOKO_SOAK_OPENS", 1000);
    qInfo("opens: seed %llu, %llu mutated files (PIMOKO_SOAK_SEED, PIMOKO_SOAK_OPENS)", seed, opens);
    random_.seed(std::uint32_t(seed));
    QList<QPair<QByteArray, QString>> seeds;
    for (const QString& path : std::as_const(openable_)) {
        QFile file(path);
        const QString extension = QFileInfo(path).suffix().toLower();
        if (QStringList{"bmp", "ico", "cur", "exe"}.contains(extension) && file.open(QIODevice::ReadOnly))
            seeds.append({file.readAll(), extension});
    }
    const QDir corpus(QStringLiteral(PIMOKO_SOURCE_DIR "/fuzz/corpus"));
    for (const QString& harness : corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QFileInfo& info : QDir(corpus.filePath(harness)).entryInfoList(QDir::Files)) {
            QFile file(info.filePath());
            if (file.open(QIODevice::ReadOnly))
                seeds.append({file.readAll(), info.suffix().toLower()});
        }
    QVERIFY(seeds.size() > 20);
    const QStringList kinds{"bmp", "ico", "cur", "exe"};
    const QString folder = folder_.filePath(QStringLiteral("mutated"));
    QVERIFY(QDir().mkpath(folder));

    window_ = std::make_unique<TPimoForm1>(std::make_unique<RandomDialogs>(random_, openable_, saveFolder_,
                                                                            [](const QString&) {}));
    window_->documentCommands()->setProgramFilePath(saveFolder_ + QStringLiteral("/pimoko"));
    savedName_.clear();
    lastCaption_.clear();
    strokeOpen_ = false;
    held_ = {};
    recent_.clear();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    qulonglong placed = 0;
    for (qulonglong n = 1; n <= opens; ++n) {
        const auto& [original, extension] = seeds.at(pick(seeds.size()));
        QByteArray bytes = original;
        mutate(bytes);
        const QString name = QDir(folder).filePath(
            QStringLiteral("m%1.%2").arg(n % 8).arg(pick(8) == 0 ? kinds.at(pick(kinds.size())) : extension));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        recent_.push_back(QStringLiteral("open %1 (%2 bytes, from a .%3 file)").arg(name).arg(bytes.size()).arg(extension));
        while (recent_.size() > 8)
            recent_.pop_front();
        // Now and then a changed document, so that the question is asked.
        if (pick(4) == 0) {
            window_->canvas().document().strokePixels().setPixel(0, 0, Color(random_() & 0xFFFFFF));
            window_->canvas().document().finishStroke();
            window_->RefreshAfterEdit();
        }
        window_->OpenImageFile(name);
        QCoreApplication::processEvents();
        if (QString::fromStdString(window_->canvas().document().CurrentFileName()) == name)
            ++placed;
        const QString broken = checkWindow();
        if (!broken.isEmpty())
            QFAIL(qPrintable(failureText(seed, n, broken)));
        const int width = window_->canvas().ImageWidth();
        const int height = window_->canvas().ImageHeight();
        if (width < 1 || height < 1 || width > 64 || height > 64)
            QFAIL(qPrintable(failureText(seed, n, QStringLiteral("a %1 x %2 document").arg(width).arg(height))));
    }
    qInfo("opens: %llu of %llu mutated files placed as the document, the others refused", placed, opens);
    window_.reset();
}

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
