// The installed tree, made with `cmake --install` of this build into the
// usr folder of a temporary root: every file in its place, a valid desktop
// entry and AppStream metadata that agrees with it and with the changelog, a
// machine-readable copyright file, a manual page that renders, the
// thumbnailer run as file managers run it, the tool cursors found from
// another working directory, and the installed program starting its window
// from there.
#include "files/codec/bmp_writer.h"
#include "platform/cursor_loader.h"
#include "support/program_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace pimoko;

namespace {

const QStringList kCursorNames{"pen.cur", "spoid.cur", "paint.cur", "line.cur"};
const QString kDesktopEntry = QStringLiteral("share/applications/jp.rupomisha.pimoko.desktop");
const QString kMetainfo = QStringLiteral("share/metainfo/jp.rupomisha.pimoko.metainfo.xml");

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

// A metainfo file as (key, value) pairs in document order: the text of each
// element under its path ("component/provides/binary"), a translated one
// with its language ("component/name[ja]"), and each attribute under the
// path, "@" and its name ("component/launchable@type").
QList<QPair<QString, QString>> metainfoEntries(const QString& fileName)
{
    QList<QPair<QString, QString>> entries;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QXmlStreamReader xml(&file);
    QStringList path;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isStartElement()) {
            const QString lang = xml.attributes().value(QStringLiteral("xml:lang")).toString();
            path << xml.name().toString() + (lang.isEmpty() ? QString() : '[' + lang + ']');
            for (const QXmlStreamAttribute& attribute : xml.attributes())
                entries.append(qMakePair(path.join('/') + '@' + attribute.qualifiedName().toString(),
                                         attribute.value().toString()));
        } else if (xml.isEndElement()) {
            path.removeLast();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            entries.append(qMakePair(path.join('/'), xml.text().toString().simplified()));
        }
    }
    return xml.hasError() ? decltype(entries)() : entries;
}

// The values of one key, in the file's order, or sorted.
QStringList valuesOf(const QList<QPair<QString, QString>>& entries, const QString& key, bool sorted = false)
{
    QStringList values;
    for (const auto& [entryKey, value] : entries)
        if (entryKey == key)
            values << value;
    if (sorted)
        values.sort();
    return values;
}

// The value of a key of a desktop entry or a thumbnailer file; a list's
// items sorted.
QString entryValue(const QStringList& lines, const QString& key)
{
    return lines.filter(QRegularExpression('^' + QRegularExpression::escape(key) + '=')).value(0).mid(key.size() + 1);
}

QStringList entryList(const QStringList& lines, const QString& key)
{
    QStringList items = entryValue(lines, key).split(';', Qt::SkipEmptyParts);
    items.sort();
    return items;
}

} // namespace

class InstallTreeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void filesAreInPlace_data();
    void filesAreInPlace();
    void desktopEntryIsValid();
    void metainfoIsValid();
    void metainfoAgreesWithDesktopEntry();
    void releasesAreTheChangelogs();
    void copyrightIsMachineReadable();
    void manualPageRendersCleanly();
    void thumbnailerRunsAsFileManagersDo();
    void cursorsAreFoundFromAnotherFolder();
    void installedProgramStartsFromAnotherFolder();

private:
    QString installed(const QString& path) const { return QDir(root_.filePath("usr")).filePath(path); }
    QStringList installedLines(const QString& path) const;
    QString tool(const char* name, const char* package) const;

    QTemporaryDir root_;
    QTemporaryDir elsewhere_;  // a working directory without cursor files
};

void InstallTreeTest::initTestCase()
{
    // The tests lie one folder below the build folder.
    const QString build = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    QVERIFY(!cmake.isEmpty());
    const ProgramRun install = run(cmake, {"--install", build, "--prefix", root_.filePath("usr")}, build);
    QVERIFY2(install.status == 0, qPrintable(install.err));
}

void InstallTreeTest::filesAreInPlace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("iconSide");
    QTest::newRow("program") << "bin/pimoko" << 0;
    QTest::newRow("desktop entry") << kDesktopEntry << 0;
    QTest::newRow("metainfo") << kMetainfo << 0;
    QTest::newRow("thumbnailer") << "share/thumbnailers/pimoko.thumbnailer" << 0;
    QTest::newRow("manual page") << "share/man/man1/pimoko.1.gz" << 0;
    QTest::newRow("copyright") << "share/doc/pimoko/copyright" << 0;
    QTest::newRow("changelog") << "share/doc/pimoko/changelog.gz" << 0;
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
    const QString entry = installed(kDesktopEntry);
    const ProgramRun validate = run(tool("desktop-file-validate", "desktop-file-utils"), {entry}, elsewhere_.path());
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

// The lines of an installed file; a gzipped one is read through gzip.
QStringList InstallTreeTest::installedLines(const QString& path) const
{
    if (path.endsWith(u".gz"))
        return run(tool("gzip", "gzip"), {"-dc", installed(path)}, elsewhere_.path()).out.split('\n');
    QFile file(installed(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n') : QStringList();
}

QString InstallTreeTest::tool(const char* name, const char* package) const
{
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (found.isEmpty())
        qWarning("%s (%s) is not installed", name, package);
    return found;
}

// Both validators, the file alone and the tree with its desktop entry, say
// nothing but their verdict, pedantic hints included.
void InstallTreeTest::metainfoIsValid()
{
    const QString appstream = tool("appstreamcli", "appstream");
    for (const QStringList& arguments : {QStringList{"validate", "--no-net", "--pedantic", installed(kMetainfo)},
                                         QStringList{"validate-tree", "--no-net", "--pedantic", root_.path()}}) {
        const ProgramRun validate = run(appstream, arguments, elsewhere_.path());
        QVERIFY2(validate.status == 0, qPrintable(arguments[0] + ": " + validate.out + validate.err));
        QCOMPARE(validate.out.trimmed() + validate.err, QStringLiteral("✔ Validation was successful."));
    }
}

// What the validators cannot know: that the metainfo names the installed
// desktop entry and program, and lists the entry's MIME types and
// categories, its name, and the README's screenshot.
void InstallTreeTest::metainfoAgreesWithDesktopEntry()
{
    const auto entries = metainfoEntries(installed(kMetainfo));
    QVERIFY2(!entries.isEmpty(), "the metainfo does not parse");
    const QStringList desktop = installedLines(kDesktopEntry);
    QCOMPARE(valuesOf(entries, "component/id"), QStringList{"jp.rupomisha.pimoko"});
    QCOMPARE(valuesOf(entries, "component/launchable"), QStringList{QFileInfo(kDesktopEntry).fileName()});
    QCOMPARE(valuesOf(entries, "component/provides/binary"), QStringList{entryValue(desktop, "TryExec")});
    QCOMPARE(valuesOf(entries, "component/provides/mediatype", true), entryList(desktop, "MimeType"));
    QCOMPARE(valuesOf(entries, "component/categories/category", true), entryList(desktop, "Categories"));
    QCOMPARE(valuesOf(entries, "component/name[ja]"), QStringList{entryValue(desktop, "Name")});
    // The licence the copyright file calls Expat.
    QCOMPARE(valuesOf(entries, "component/project_license"), QStringList{"MIT"});

    // The screenshot is the README's picture, at its own size.
    const QImage screenshot(QStringLiteral(PIMOKO_SOURCE_DIR "/docs/screenshot.png"));
    const QString image = QStringLiteral("component/screenshots/screenshot/image");
    QCOMPARE(valuesOf(entries, image), QStringList{"https://rupomisha.jp/pimoko/screenshot.png"});
    QCOMPARE(valuesOf(entries, image + "@width"), QStringList{QString::number(screenshot.width())});
    QCOMPARE(valuesOf(entries, image + "@height"), QStringList{QString::number(screenshot.height())});
    QCOMPARE(valuesOf(entries, "component/screenshots/screenshot/caption").size(), 1);
}

// Each release is a changelog entry, newest first, with its day; the newest
// is the program's own version.
void InstallTreeTest::releasesAreTheChangelogs()
{
    const auto entries = metainfoEntries(installed(kMetainfo));
    const QString release = QStringLiteral("component/releases/release");
    const QStringList versions = valuesOf(entries, release + "@version");
    const QStringList dates = valuesOf(entries, release + "@date");
    QVERIFY(!versions.isEmpty());

    QStringList changelogVersions, changelogDates;
    const QRegularExpression heading(QStringLiteral("^pimoko \\(([^)]+)\\) \\w+; urgency=\\w+$"));
    const QRegularExpression trailer(QStringLiteral("^ -- .+ <.+@.+>  \\w{3}, (\\d\\d \\w{3} \\d{4}) "));
    for (const QString& line : installedLines(QStringLiteral("share/doc/pimoko/changelog.gz"))) {
        if (const auto match = heading.match(line); match.hasMatch())
            changelogVersions << match.captured(1);
        if (const auto match = trailer.match(line); match.hasMatch())
            changelogDates << QLocale::c().toDate(match.captured(1), "dd MMM yyyy").toString(Qt::ISODate);
    }
    QCOMPARE(versions, changelogVersions);
    QCOMPARE(dates, changelogDates);
    const ProgramRun version = run(installed(QStringLiteral("bin/pimoko")), {"--version"}, elsewhere_.path());
    QCOMPARE(version.out, QStringLiteral("pimoko (ピモコ) %1\n").arg(versions.value(0)));
}

// The copyright file in the machine-readable format: a header naming the
// format, then paragraphs of files with their copyright and licence, and
// the text of each licence named, in its paragraph or in one of its own.
void InstallTreeTest::copyrightIsMachineReadable()
{
    const QStringList paragraphs =
        installedLines(QStringLiteral("share/doc/pimoko/copyright")).join('\n').trimmed().split("\n\n");
    QCOMPARE(paragraphs.value(0).section('\n', 0, 0),
             QStringLiteral("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
    QStringList named, written;
    for (const QString& paragraph : paragraphs.mid(1)) {
        const QStringList lines = paragraph.split('\n');
        const QString license = lines.filter(QRegularExpression("^License: ")).value(0).mid(9);
        QVERIFY2(!license.isEmpty(), qPrintable(paragraph));
        const bool hasText = lines.last().startsWith(' ');
        if (lines.first().startsWith(u"Files: ")) {
            QVERIFY2(lines.filter(QRegularExpression("^Copyright: .+")).size() == 1, qPrintable(paragraph));
            named << license;
        } else {
            QVERIFY2(lines.first().startsWith(u"License: ") && hasText, qPrintable(paragraph));
        }
        if (hasText)
            written << license;
    }
    for (const QString& license : named)
        QVERIFY2(written.contains(license), qPrintable(license + " has no text"));
    QVERIFY2(paragraphs.value(1).startsWith("Files: *\nCopyright: 2026 ルポミ舎\nLicense: Expat"), qPrintable(paragraphs.value(1)));
}

// The page is installed gzipped, as the clone's page.
void InstallTreeTest::manualPageRendersCleanly()
{
    QFile source(QStringLiteral(PIMOKO_SOURCE_DIR "/docs/pimoko.1"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QStringList page = installedLines(QStringLiteral("share/man/man1/pimoko.1.gz"));
    QCOMPARE(page, QString::fromUtf8(source.readAll()).split('\n'));
    // Each installed file the page names is where the install puts it.
    static const QRegularExpression named(QStringLiteral("^\\.I /usr/((?:bin|lib|share)/\\S+)$"));
    for (const QString& line : page) {
        const QRegularExpressionMatch match = named.match(line);
        if (match.hasMatch())
            QVERIFY2(QFileInfo::exists(installed(match.captured(1).remove('\\'))), qPrintable(line));
    }
    const QString groff = tool("groff", "groff-base");
    for (const char* device : {"-Tutf8", "-Tascii"}) {
        const ProgramRun render = run(groff, {"-ww", "-z", "-man", device, source.fileName()}, elsewhere_.path());
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
    const auto value = [&](const QString& key) { return entryValue(lines, key); };
    const QStringList path{installed(QStringLiteral("bin"))};
    QCOMPARE(QStandardPaths::findExecutable(value("TryExec"), path), installed(QStringLiteral("bin/pimoko")));
    const QStringList claimed = value("MimeType").split(';', Qt::SkipEmptyParts);
    const QStringList opened = entryList(installedLines(kDesktopEntry), "MimeType");
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
    const std::vector<std::uint8_t> bytes = bitmapFileBytes(PixelBuffer(20, 10, 0x0000FF));
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
