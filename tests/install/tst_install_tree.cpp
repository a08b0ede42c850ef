// The installed tree, made with `cmake --install` of this build into a
// temporary prefix: every file in its place, a valid desktop entry, a
// manual page that renders, the thumbnailer run as file managers run it,
// the tool cursors found from another working directory, and the installed
// program starting its window from there.
#include "files/codec/bmp_writer.h"
#include "platform/cursor_loader.h"
#include "support/program_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace pimoko;

namespace {

const QStringList kCursorNames{"pen.cur", "spoid.cur", "paint.cur", "line.cur"};

// The process runs in `folder` with `environment` (the whole of this one's
// unless given).
ProgramRun run(const QString& program, const QStringList& arguments, const QString& folder,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    return runProgram(
        arguments,
        [&](QProcess& process) {
            process.setWorkingDirectory(folder);
            process.setProcessEnvironment(environment);
        },
        program);
}

} // namespace

class InstallTreeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void filesAreInPlace_data();
    void filesAreInPlace();
    void desktopEntryIsValid();
    void manualPageRendersCleanly();
    void thumbnailerRunsAsFileManagersDo();
    void cursorsAreFoundFromAnotherFolder();
    void installedProgramStartsFromAnotherFolder();

private:
    QString installed(const QString& path) const { return QDir(prefix_.path()).filePath(path); }
    QStringList installedLines(const QString& path) const;

    QTemporaryDir prefix_;
    QTemporaryDir elsewhere_;  // a working directory without cursor files
};

void InstallTreeTest::initTestCase()
{
    // The tests lie one folder below the build folder.
    const QString build = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    QVERIFY(!cmake.isEmpty());
    const ProgramRun install = run(cmake, {"--install", build, "--prefix", prefix_.path()}, build);
    QVERIFY2(install.status == 0, qPrintable(install.err));
}

void InstallTreeTest::filesAreInPlace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("iconSide");
    QTest::newRow("program") << "bin/pimoko" << 0;
    QTest::newRow("desktop entry") << "share/applications/pimoko.desktop" << 0;
    QTest::newRow("thumbnailer") << "share/thumbnailers/pimoko.thumbnailer" << 0;
    QTest::newRow("manual page") << "share/man/man1/pimoko.1" << 0;
    for (int side : {16, 32, 48, 64})
        QTest::addRow("icon %d", side) << QStringLiteral("share/icons/hicolor/%1x%1/apps/pimoko.png").arg(side) << side;
    for (const QString& name : kCursorNames)
        QTest::newRow(qPrintable(name)) << "share/pimoko/" + name << 0;
}

void InstallTreeTest::filesAreInPlace()
{
    QFETCH(QString, path);
    QFETCH(int, iconSide);
    QVERIFY2(QFileInfo::exists(installed(path)), qPrintable(path));
    if (path.startsWith(u"bin/"))
        QVERIFY(QFileInfo(installed(path)).isExecutable());
    if (iconSide > 0)
        QCOMPARE(QImage(installed(path)).size(), QSize(iconSide, iconSide));
}

void InstallTreeTest::desktopEntryIsValid()
{
    const QString entry = installed(QStringLiteral("share/applications/pimoko.desktop"));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    QVERIFY2(!validator.isEmpty(), "desktop-file-validate (desktop-file-utils) is not installed");
    const ProgramRun validate = run(validator, {entry}, elsewhere_.path());
    QVERIFY2(validate.status == 0 && validate.err.isEmpty(), qPrintable(validate.err));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const char* line : {"Name=ピモコ", "Exec=pimoko %F", "Icon=pimoko"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
    const QStringList mime = lines.filter(QRegularExpression("^MimeType=")).value(0).mid(9).split(';');
    for (const char* type : {"image/vnd.microsoft.icon", "image/bmp", "image/x-win-bitmap", "application/x-ms-dos-executable"})
        QVERIFY2(mime.contains(QString::fromLatin1(type)), type);
    QVERIFY(lines.filter(QRegularExpression("^Categories=.*\\bGraphics;.*\\b2DGraphics;")).size() == 1);
}

QStringList InstallTreeTest::installedLines(const QString& path) const
{
    QFile file(installed(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n') : QStringList();
}

void InstallTreeTest::manualPageRendersCleanly()
{
    const QString groff = QStandardPaths::findExecutable(QStringLiteral("groff"));
    QVERIFY2(!groff.isEmpty(), "groff (groff-base) is not installed");
    for (const char* device : {"-Tutf8", "-Tascii"}) {
        const ProgramRun render = run(groff, {"-ww", "-z", "-man", device, installed("share/man/man1/pimoko.1")},
                               elsewhere_.path());
        QVERIFY2(render.status == 0 && render.err.isEmpty(), qPrintable(device + (": " + render.err)));
    }
}

// As a file manager does: the program of TryExec found on the search path,
// the Exec line's %i, %o and %s replaced by the file, the thumbnail's name
// and its size, for each MIME type of the files it claims.
void InstallTreeTest::thumbnailerRunsAsFileManagersDo()
{
    const QStringList lines = installedLines(QStringLiteral("share/thumbnailers/pimoko.thumbnailer"));
    QCOMPARE(lines.value(0), QStringLiteral("[Thumbnailer Entry]"));
    const auto value = [&](const QString& key) {
        return lines.filter(QRegularExpression('^' + key + '=')).value(0).mid(key.size() + 1);
    };
    const QStringList path{installed(QStringLiteral("bin"))};
    QCOMPARE(QStandardPaths::findExecutable(value("TryExec"), path), installed(QStringLiteral("bin/pimoko")));
    const QStringList claimed = value("MimeType").split(';', Qt::SkipEmptyParts);
    const QStringList opened = installedLines(QStringLiteral("share/applications/pimoko.desktop"))
                                   .filter(QRegularExpression("^MimeType=")).value(0).mid(9).split(';');
    for (const QString& type : claimed)
        QVERIFY2(opened.contains(type), qPrintable(type + " is not the desktop entry's"));

    const QString data = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
    QVERIFY(QFile::copy(data + "icons/depth4_16_32.ico", elsewhere_.filePath("icon layout.cur")));
    const QStringList inputs{data + "icons/mixed_png.ico", elsewhere_.filePath("icon layout.cur"),
                             data + "pe/pe64_icon.exe"};
    for (const QString& input : inputs) {
        const QString type = QMimeDatabase().mimeTypeForFile(input).name();
        QVERIFY2(claimed.contains(type), qPrintable(input + ": " + type));
        const QString output = elsewhere_.filePath(QStringLiteral("thumbnail.png"));
        QFile::remove(output);
        QStringList exec = value("Exec").split(' ');
        for (QString& field : exec)
            field = field == u"%i" ? input : field == u"%o" ? output : field == u"%s" ? QStringLiteral("128") : field;
        const ProgramRun made = run(QStandardPaths::findExecutable(exec.takeFirst(), path), exec, elsewhere_.path());
        QVERIFY2(made.status == 0, qPrintable(input + ": " + made.err));
        QCOMPARE(QImage(output, "png").size(), QSize(128, 128));
    }
}

void InstallTreeTest::cursorsAreFoundFromAnotherFolder()
{
    const QString bin = installed(QStringLiteral("bin"));
    QDir::setCurrent(elsewhere_.path());
    for (const QString& name : kCursorNames) {
        const QString found = findToolCursorFile(name, bin);
        QCOMPARE(found, installed("share/pimoko/" + name));
        QVERIFY(loadCursorFile(found).has_value());
    }
    // A file in the working directory still comes first.
    QVERIFY(QFile::copy(installed(QStringLiteral("share/pimoko/pen.cur")), elsewhere_.filePath("pen.cur")));
    QCOMPARE(findToolCursorFile(QStringLiteral("pen.cur"), bin), elsewhere_.filePath("pen.cur"));
    QVERIFY(QFile::remove(elsewhere_.filePath("pen.cur")));
}

void InstallTreeTest::installedProgramStartsFromAnotherFolder()
{
    // The window comes from the installed module, and opens the file given.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PIMOKO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    const QString picture = elsewhere_.filePath(QStringLiteral("picture.bmp"));
    const std::vector<std::uint8_t> bytes = writeBitmapFile(PixelBuffer(20, 10, 0x0000FF));
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    file.close();
    const ProgramRun window = run(installed(QStringLiteral("bin/pimoko")), {picture}, elsewhere_.path(), environment);
    QVERIFY2(window.status == 0 && !window.err.contains(u"cannot load"), qPrintable(window.err));
    const ProgramRun version = run(installed(QStringLiteral("bin/pimoko")), {"--version"}, elsewhere_.path());
    QCOMPARE(version.status, 0);
}

QTEST_MAIN(InstallTreeTest)
#include "tst_install_tree.moc"
