// The program's command line, run as a process: help and version, each
// conversion against the window's own file for the same picture and
// commands, every exit status with its message, and --list.
#include "app/pimo_form.h"
#include "files/codec/bmp_reader.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/pe_icon.h"
#include "files/document_commands.h"
#include "files/file_writer.h"
#include "files/model/system_reason.h"
#include "files/picture_files.h"
#include "operations/ok_bottom_dlg.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <random>

#include <sys/stat.h>

using namespace pimoko;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// The program lies in the build folder, one above the tests.
QString program()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../pimoko"));
}

Run runProgram(const QStringList& arguments)
{
    QProcess process;
    // No display at all: a conversion must not need one.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(program(), arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A seeded picture in a bitmap's own 8-bit format, not square.
std::vector<std::uint8_t> randomBitmap(int width, int height)
{
    std::mt19937 random(12);
    std::vector<Color> palette;
    for (int i = 0; i < 7; ++i)
        palette.push_back(random() & 0xFFFFFF);
    PixelBuffer image(width, height, palette[0], PixelFormat::indexed(8, palette));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, palette[random() % palette.size()]);
    return writeBitmapFile(image);
}

// What the window writes for the same file and commands: the file opened,
// each command run as the menu runs it, then saved through save-as (as a
// bitmap) and, for an ".ico" name, the save command, which writes an icon
// at any size.
QByteArray savedByWindow(const QString& input, const QStringList& steps, const QString& output,
                         const QString& programFile)
{
    auto scripted = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *scripted;
    TPimoForm1 form(std::move(scripted));
    form.documentCommands()->setProgramFilePath(programFile);
    form.OpenImageFile(input);
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i] == u"--rotate") {
            form.Act90Execute();
        } else if (steps[i] == u"--mirror-lr") {
            form.ActHantenRLExecute();
        } else if (steps[i] == u"--mirror-tb") {
            form.ActHantenTBExecute();
        } else if (steps[i] == u"--size") {
            const int side = steps[++i].toInt();
            form.ActSizeExecute();
            form.sizeDialog()->RadioGroup1Click(side == 16 ? 0 : side == 20 ? 1 : side == 32 ? 2 : 3);
            form.sizeDialog()->OKBtnClick();
        }
    }
    dialogs.saveChoices.push_back(SaveChoice{output, SaveKind::Bitmap});
    form.ActSaveAsExecute();
    if (output.endsWith(u".ico"))
        form.ActSaveExecute();
    if (!dialogs.errors.isEmpty() || !dialogs.refusals.isEmpty())
        return {};
    return readAll(output);
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void helpAndVersionPrintAndExit_data();
    void helpAndVersionPrintAndExit();
    void badCommandLinesExitTwo_data();
    void badCommandLinesExitTwo();
    void conversionEqualsTheWindow_data();
    void conversionEqualsTheWindow();
    void refusedInputExitsOne_data();
    void refusedInputExitsOne();
    void unwritableOutputExitsThree();
    void listMarksTheEditorsChoice_data();
    void listMarksTheEditorsChoice();

private:
    PrivateHome home_;
    QTemporaryDir work_;
    QString path(const char* name) const { return work_.filePath(QString::fromLatin1(name)); }
};

void CommandLineTest::initTestCase()
{
    QVERIFY2(QFileInfo(program()).isExecutable(), qPrintable(program()));
    writeBytes(path("odd.bmp"), randomBitmap(20, 13));
    writeBytes(path("big.bmp"), writeBitmapFile(PixelBuffer(65, 64)));
    QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico"), path("icon.cur")));
    // A cursor file in the cursor layout (header type 2) is not opened.
    QByteArray cursor = readAll(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth1.ico"));
    cursor[2] = 2;
    writeBytes(path("standard.cur"), std::vector<std::uint8_t>(cursor.begin(), cursor.end()));
    writeBytes(path("text.bmp"), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
    // A pipe with no writer: opening it would wait for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.bmp")).constData(), 0600), 0);
}

void CommandLineTest::helpAndVersionPrintAndExit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("pattern");
    const QString usage = QStringLiteral("^Usage: pimoko \\[FILE\\.\\.\\.\\]\n(.*\n)+Exit status: .*\n.*\n$");
    QTest::newRow("--help") << QStringList{"--help"} << usage;
    QTest::newRow("-h with a file") << QStringList{"some.bmp", "-h"} << usage;
    QTest::newRow("--version") << QStringList{"--version"} << QStringLiteral("^pimoko \\(ピモコ\\) \\d+\\.\\d+\n$");
}

void CommandLineTest::helpAndVersionPrintAndExit()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, pattern);
    const Run run = runProgram(arguments);
    QCOMPARE(run.status, 0);
    QVERIFY2(QRegularExpression(pattern).match(run.out).hasMatch(), qPrintable(run.out));
    QCOMPARE(run.err, QString());
}

void CommandLineTest::badCommandLinesExitTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString in = path("odd.bmp");
    QTest::newRow("unknown option") << QStringList{"--rotate-left", in} << "unknown option '--rotate-left'";
    QTest::newRow("unknown short option") << QStringList{"-x"} << "unknown option '-x'";
    QTest::newRow("size not offered") << QStringList{"--convert", path("a.ico"), "--size", "48", in}
                                      << "--size takes 16, 20, 32 or 64";
    QTest::newRow("size without value") << QStringList{"--convert", path("a.ico"), in, "--size"}
                                        << "--size takes 16, 20, 32 or 64";
    QTest::newRow("no output") << QStringList{"--convert"} << "--convert needs the output file";
    QTest::newRow("no input") << QStringList{"--convert", path("a.ico")} << "no input file";
    QTest::newRow("two inputs") << QStringList{"--convert", path("a.ico"), in, in} << "more than one input file";
    QTest::newRow("output of no kind") << QStringList{"--convert", path("a.png"), in}
                                       << "the output file's name must end in .ico or .bmp";
    QTest::newRow("operation without --convert") << QStringList{"--mirror-lr", in}
                                                 << "--rotate, --mirror-lr, --mirror-tb and --size go with --convert";
    QTest::newRow("convert and list") << QStringList{"--list", "--convert", path("a.ico"), in}
                                      << "--convert and --list do not go together";
    QTest::newRow("window option with convert") << QStringList{"-platform", "xcb", "--convert", path("a.ico"), in}
                                                << "'-platform' is for the window, not for --convert or --list";
}

void CommandLineTest::badCommandLinesExitTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runProgram(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, "pimoko: " + message + "\nTry 'pimoko --help' for more information.\n");
    QCOMPARE(run.out, QString());
    QVERIFY(!QFile::exists(path("a.ico")));
}

void CommandLineTest::conversionEqualsTheWindow_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("steps");
    const QString icons = QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/");
    const QString programs = QStringLiteral(PIMOKO_TEST_DATA_DIR "/pe/");
    // Bitmaps keep their own format in a bitmap; icons are written at any size.
    QTest::newRow("bitmap as is") << path("odd.bmp") << "odd.bmp" << QStringList{};
    QTest::newRow("bitmap rotated") << path("odd.bmp") << "odd.bmp" << QStringList{"--rotate"};
    QTest::newRow("bitmap to icon, mirrored both ways")
        << path("odd.bmp") << "odd.ico" << QStringList{"--mirror-lr", "--mirror-tb"};
    QTest::newRow("bitmap stretched to 64, turned") << path("odd.bmp") << "odd.bmp" << QStringList{"--size", "64", "--rotate"};
    QTest::newRow("icon to icon") << icons + "depth4_16_32.ico" << "icon.ico" << QStringList{};
    QTest::newRow("icon to 20 x 20 icon") << icons + "mixed_png.ico" << "icon.ico" << QStringList{"--size", "20"};
    QTest::newRow("icon shrunk then enlarged") << icons + "depth24.ico" << "icon.bmp"
                                               << QStringList{"--size", "16", "--mirror-tb", "--size", "32"};
    QTest::newRow("cursor file to icon") << path("icon.cur") << "cursor.ico" << QStringList{"--rotate"};
    QTest::newRow("program to icon") << programs + "pe32_icon.exe" << "program.ico" << QStringList{"--mirror-lr"};
    QTest::newRow("program without icon") << programs + "pe64_no_icon.exe" << "generic.bmp" << QStringList{};
}

void CommandLineTest::conversionEqualsTheWindow()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QStringList, steps);
    const QString byProgram = work_.filePath("cli-" + output);
    const Run run = runProgram(QStringList{"--convert", byProgram} + steps + QStringList{input});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
    const QString programFile = work_.filePath(QStringLiteral("pimoko"));
    const QByteArray expected = savedByWindow(input, steps, work_.filePath("window-" + output), programFile);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(readAll(byProgram), expected);
    // Cursor creation mode's file comes from the window only.
    QFile::remove(programFile + ".cur");
}

void CommandLineTest::refusedInputExitsOne_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("kind not opened") << path("picture.png") << refusalText(OpenRefusal::Format);
    QTest::newRow("no extension") << path("picture") << refusalText(OpenRefusal::Format);
    QTest::newRow("65 x 64 bitmap") << path("big.bmp") << refusalText(OpenRefusal::Size);
    QTest::newRow("missing file") << path("missing.bmp")
                                  << cannotOpenText(path("missing.bmp"), QString::fromStdString(systemReasonText(ENOENT)));
    QTest::newRow("a folder") << work_.path() + "/folder.ico"
                              << cannotOpenText(work_.path() + "/folder.ico", QString::fromStdString(fileProblemText(FileProblem::NotRegularFile)));
    QTest::newRow("a pipe") << path("pipe.bmp")
                            << cannotOpenText(path("pipe.bmp"), QString::fromStdString(fileProblemText(FileProblem::NotRegularFile)));
    QTest::newRow("not a bitmap") << path("text.bmp") << QString::fromUtf8(kInvalidBitmapText);
    QTest::newRow("cursor layout") << path("standard.cur") << QString::fromUtf8(kInvalidIconText);
}

void CommandLineTest::refusedInputExitsOne()
{
    QFETCH(QString, input);
    QFETCH(QString, message);
    QDir(work_.path()).mkpath(QStringLiteral("folder.ico"));
    // The window's own reader says the same.
    try {
        const auto read = readPictureFile(input);
        QVERIFY(std::holds_alternative<OpenRefusal>(read));
        QCOMPARE(refusalText(std::get<OpenRefusal>(read)), message);
    } catch (const FileError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
    }
    const QString output = path("refused.ico");
    const Run run = runProgram({"--convert", output, input});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, message + '\n');
    QVERIFY(!QFile::exists(output));
}

void CommandLineTest::unwritableOutputExitsThree()
{
    const QStringList outputs{path("no-such-folder/out.ico"), path("odd.bmp") + "/out.bmp"};
    QDir(work_.path()).mkpath(QStringLiteral("taken.bmp"));
    for (const QString& output : outputs + QStringList{path("taken.bmp")}) {
        QString expected;
        try {
            writeFileAtomically(output, std::vector<std::uint8_t>{1});
        } catch (const FileError& error) {
            expected = QString::fromUtf8(error.what());
        }
        const Run run = runProgram({"--convert", output, path("odd.bmp")});
        QCOMPARE(run.status, 3);
        QCOMPARE(run.err, expected + '\n');
    }
    QCOMPARE(QDir(work_.path()).entryList({".pimoko-*"}, QDir::Files | QDir::Hidden), QStringList());
}

void CommandLineTest::listMarksTheEditorsChoice_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("three sizes, the 32 chosen")
        << QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/imagemagick_sizes.ico")
        << QStringList{"   0   24 x 24       0 colours  32 bits  bitmap     2440 bytes",
                       "*  1   32 x 32       0 colours  32 bits  bitmap     4264 bytes",
                       "   2   16 x 16       0 colours  32 bits  bitmap     1128 bytes"};
    QTest::newRow("bitmap and PNG images") << QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/mixed_png.ico")
                                           << QStringList{};
    QTest::newRow("program") << QStringLiteral(PIMOKO_TEST_DATA_DIR "/pe/pe64_icon.exe")
                             << QStringList{"   0   16 x 16      16 colours   4 bits  bitmap      296 bytes",
                                            "   1   32 x 32       0 colours   8 bits  bitmap     2216 bytes",
                                            "*  2   32 x 32       0 colours  64 bits  PNG         187 bytes"};
}

void CommandLineTest::listMarksTheEditorsChoice()
{
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    const Run run = runProgram({"--list", file});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QString());
    const QStringList printed = run.out.split('\n', Qt::SkipEmptyParts);
    if (!lines.isEmpty())
        QCOMPARE(printed, lines);
    // The marked line is the image the editor reads.
    const QByteArray bytes = readAll(file);
    const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    IconDirEntry chosen;
    std::size_t count = 0;
    if (file.endsWith(u".exe")) {
        const auto entry = findProgramIcon(span);
        QVERIFY(entry);
        chosen = *entry;
        count = 1;
    } else {
        const IconDirectory directory = readIconDirectory(span);
        chosen = directory.entries[chooseIconEntry(directory)];
        count = directory.entries.size();
    }
    const QStringList marked = printed.filter(QRegularExpression("^\\*"));
    QCOMPARE(marked.size(), 1);
    const QString size = QStringLiteral("%1 x %2").arg(entrySide(chosen.width), 3).arg(entrySide(chosen.height), -3);
    QVERIFY2(marked[0].contains(size) && marked[0].endsWith(QStringLiteral(" %1 bytes").arg(chosen.dataSize)),
             qPrintable(marked[0]));
    if (!file.endsWith(u".exe"))
        QCOMPARE(std::size_t(printed.size()), count);
    if (file.endsWith(u"mixed_png.ico"))
        QVERIFY(printed.filter(QRegularExpression(" PNG +\\d+ bytes$")).size() >= 1);
}

QTEST_MAIN(CommandLineTest)
#include "tst_command_line.moc"
