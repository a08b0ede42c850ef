// The program's command line, run as a process: help and version, each
// conversion against the window's own file for the same picture and
// commands, every exit status with its message, --list, and what the
// program does before it opens the window; the reading of arguments and
// the choice of the window system as functions.
#include "app/cli/command_line.h"
#include "app/cli/window_platform.h"
#include "app/pimo_form.h"
#include "document/document_commands.h"
#include "document/picture_files.h"
#include "files/codec/bmp_reader.h"
#include "files/codec/bmp_writer.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_choice.h"
#include "files/codec/pe_icon.h"
#include "files/file_writer.h"
#include "operations/ok_bottom_dlg.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/private_home.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <functional>
#include <random>
#include <sstream>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace pimoko;

namespace {

// A name another program takes while a file of the program is being
// written: as the writer closes its temporary, before the rename.
std::string takenWhileWriting;
const QByteArray kAnotherProgramsFile("another program's file");

} // namespace

extern "C" int close(int fd)
{
    static const auto call = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "close"));
    char name[4096];
    const ssize_t length = takenWhileWriting.empty()
        ? -1
        : ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name - 1);
    if (length > 0 && std::string(name, std::size_t(length)).find("/.pimoko-") != std::string::npos) {
        const std::string taken = std::exchange(takenWhileWriting, {});
        const int other = ::open(taken.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        (void)!::write(other, kAnotherProgramsFile.constData(), std::size_t(kAnotherProgramsFile.size()));
        call(other);
    }
    return call(fd);
}

namespace {

using Run = ProgramRun;

std::vector<std::string> stdStrings(const QStringList& list)
{
    std::vector<std::string> strings;
    for (const QString& item : list)
        strings.push_back(item.toStdString());
    return strings;
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
    return bitmapFileBytes(image);
}

// What the window writes for the same file and commands: the file opened,
// each command run as the menu runs it, then saved under the name by the
// save command, which writes an icon at any size.
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
    form.canvas().document().rename(output.toStdString());
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
    void argumentsAreReadAsGiven_data();
    void argumentsAreReadAsGiven();
    void badCommandLinesExitTwo_data();
    void badCommandLinesExitTwo();
    void conversionEqualsTheWindow_data();
    void conversionEqualsTheWindow();
    void refusedInputExitsOne_data();
    void refusedInputExitsOne();
    void unwritableOutputExitsThree();
    void unpackReplacesOnlyWithForce_data();
    void unpackReplacesOnlyWithForce();
    void listMarksTheEditorsChoice_data();
    void listMarksTheEditorsChoice();
    void unwrittenStandardOutputExitsThree_data();
    void unwrittenStandardOutputExitsThree();
    void windowWithoutDisplayExitsOne_data();
    void windowWithoutDisplayExitsOne();
    void nothingIsTakenFromTheWorkingFolder_data();
    void nothingIsTakenFromTheWorkingFolder();
    void windowSystemPrefersX11_data();
    void windowSystemPrefersX11();

private:
    PrivateHome home_;
    QTemporaryDir work_;
    QString path(const char* name) const { return work_.filePath(QString::fromLatin1(name)); }
};

void CommandLineTest::initTestCase()
{
    QVERIFY2(QFileInfo(program()).isExecutable(), qPrintable(program()));
    writeBytes(path("odd.bmp"), randomBitmap(20, 13));
    writeBytes(path("big.bmp"), bitmapFileBytes(PixelBuffer(65, 64)));
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
    const QString usage = QStringLiteral("^Usage: pimoko .*\\[FILE\\.\\.\\.\\]\n(.*\n)+\n"
                                         "Exit status: 0 done, 1 input refused or unreadable \\(or no display for the\n"
                                         "window\\), 2 bad command line, 3 output cannot be written\\.\n$");
    QTest::newRow("--help") << QStringList{"--help"} << usage;
    QTest::newRow("-h with a file") << QStringList{"some.bmp", "-h"} << usage;
    QTest::newRow("--help before a file and a known option") << QStringList{"--help", "some.bmp", "-style=fusion"}
                                                             << usage;
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

void CommandLineTest::argumentsAreReadAsGiven_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QStringList>("operands");
    QTest::addColumn<QStringList>("qtArguments");
    QTest::newRow("a file after --") << QStringList{"--convert", "o.bmp", "--", "-odd.bmp"} << "--convert"
                                     << QStringList{"-odd.bmp"} << QStringList{};
    QTest::newRow("-h after --") << QStringList{"--", "-h"} << "" << QStringList{"-h"} << QStringList{};
    QTest::newRow("Qt option with =") << QStringList{"-style=fusion", "a.bmp"} << "" << QStringList{"a.bmp"}
                                      << QStringList{"-style", "fusion"};
    QTest::newRow("Qt option, two dashes") << QStringList{"--platform", "xcb", "a.bmp"} << ""
                                           << QStringList{"a.bmp"} << QStringList{"-platform", "xcb"};
    QTest::newRow("verb after its options") << QStringList{"--rotate", "in.bmp", "--convert=o.ico"} << "--convert"
                                            << QStringList{"in.bmp"} << QStringList{};
}

void CommandLineTest::argumentsAreReadAsGiven()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, verb);
    QFETCH(QStringList, operands);
    QFETCH(QStringList, qtArguments);
    const CommandLine line = parseCommandLine(stdStrings(arguments));
    const auto strings = [](const std::vector<std::string>& list) {
        QStringList result;
        for (const std::string& item : list)
            result.append(QString::fromStdString(item));
        return result;
    };
    QCOMPARE(QString::fromStdString(line.mistake), QString());
    QCOMPARE(QString::fromStdString(std::string(line.verb)), verb);
    QCOMPARE(strings(line.operands), operands);
    QCOMPARE(strings(line.qtArguments), qtArguments);
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
                                        << "--size needs N";
    QTest::newRow("flag with a value") << QStringList{"--convert", path("a.ico"), "--rotate=2", in}
                                       << "--rotate takes no value";
    QTest::newRow("no output") << QStringList{"--convert"} << "--convert needs OUTPUT";
    QTest::newRow("verb twice") << QStringList{"--list", in, "--list"} << "--list is given twice";
    QTest::newRow("scale twice") << QStringList{"--convert", path("a.png"), "--scale", "2", "--scale=3", in}
                                 << "--scale is given twice";
    QTest::newRow("hot spot twice") << QStringList{"--pack", path("a.cur"), "--hotspot", "1,1", "--hotspot", "2,2", in}
                                    << "--hotspot is given twice";
    QTest::newRow("help with an unknown option") << QStringList{"--help", "--convert", path("a.ico"), "--bogus"}
                                                 << "unknown option '--bogus'";
    QTest::newRow("help with a joined value, then an unknown option")
        << QStringList{"--help", "--convert=" + path("a.ico"), "--bogus"} << "unknown option '--bogus'";
    QTest::newRow("empty input name") << QStringList{"--convert", path("a.ico"), ""} << "an empty file name";
    QTest::newRow("no input") << QStringList{"--convert", path("a.ico")} << "no input file";
    QTest::newRow("two inputs") << QStringList{"--convert", path("a.ico"), in, in} << "more than one input file";
    QTest::newRow("output of no kind") << QStringList{"--convert", path("a.gif"), in}
                                       << "the output file's name must end in .ico, .bmp or .png";
    QTest::newRow("operation without --convert") << QStringList{"--mirror-lr", in}
                                                 << "--mirror-lr goes with --convert";
    QTest::newRow("operation with --list") << QStringList{"--list", "--size", "16", in} << "--size goes with --convert";
    QTest::newRow("convert and list") << QStringList{"--list", "--convert", path("a.ico"), in}
                                      << "--list and --convert do not go together";
    QTest::newRow("window option with convert") << QStringList{"-platform", "xcb", "--convert", path("a.ico"), in}
                                                << "'-platform' is for the window, not for --convert";
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

// The window's text, and the command line's one line naming the file.
void CommandLineTest::refusedInputExitsOne_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("line");
    const QString format = QStringLiteral(" このソフトで開けるファイル形式は\r\n\r\n 『 BMP,ICO,EXE 』　だけです。");
    const QString formatLine = QStringLiteral("このソフトで開けるファイル形式は 『 BMP,ICO,EXE 』 だけです。");
    QTest::newRow("kind not opened") << path("picture.png") << format << formatLine;
    QTest::newRow("no extension") << path("picture") << format << formatLine;
    QTest::newRow("65 x 64 bitmap") << path("big.bmp")
                                    << QStringLiteral(" このソフトで開けるサイズは\r\n\r\n 『 64 X 64 』　以下です。")
                                    << QStringLiteral("このソフトで開けるサイズは 『 64 X 64 』 以下です。");
    QTest::newRow("missing file") << path("missing.bmp")
                                  << QStringLiteral("ファイル \"%1\". ファイルまたはフォルダが見つかりません は開けません").arg(path("missing.bmp"))
                                  << QStringLiteral("ファイルまたはフォルダが見つかりません");
    QTest::newRow("a folder") << path("folder.ico")
                              << QStringLiteral("ファイル \"%1\". 通常のファイルではありません は開けません").arg(path("folder.ico"))
                              << QStringLiteral("通常のファイルではありません");
    QTest::newRow("a pipe") << path("pipe.bmp")
                            << QStringLiteral("ファイル \"%1\". 通常のファイルではありません は開けません").arg(path("pipe.bmp"))
                            << QStringLiteral("通常のファイルではありません");
    QTest::newRow("not a bitmap") << path("text.bmp") << QStringLiteral("ビットマップイメージが不正です")
                                  << QStringLiteral("ビットマップイメージが不正です");
    QTest::newRow("cursor layout") << path("standard.cur") << QStringLiteral("アイコンイメージが不正です")
                                   << QStringLiteral("アイコンイメージが不正です");
}

void CommandLineTest::refusedInputExitsOne()
{
    QFETCH(QString, input);
    QFETCH(QString, window);
    QFETCH(QString, line);
    QDir(work_.path()).mkpath(QStringLiteral("folder.ico"));
    // The window's own reader keeps the dialog's text.
    try {
        const auto read = readPictureFile(input.toStdString());
        QVERIFY(std::holds_alternative<OpenRefusal>(read));
        QCOMPARE(refusalText(std::get<OpenRefusal>(read)), window);
    } catch (const FileError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), window);
    }
    const QString output = path("refused.ico");
    const Run run = runProgram({"--convert", output, input});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, "pimoko: " + input + ": " + line + '\n');
    QVERIFY(!QFile::exists(output));
}

void CommandLineTest::unwritableOutputExitsThree()
{
    QDir(work_.path()).mkpath(QStringLiteral("taken.bmp"));
    const QList<QPair<QString, QString>> outputs{
        {path("no-such-folder/out.ico"), "ファイルまたはフォルダが見つかりません"},
        {path("odd.bmp") + "/out.bmp", "パスの途中にフォルダでないものがあります"},
        {path("taken.bmp"), "ファイルではなくフォルダです"}};
    for (const auto& [output, reason] : outputs) {
        const Run run = runProgram({"--convert", output, path("odd.bmp")});
        QCOMPARE(run.status, 3);
        QCOMPARE(run.err, "pimoko: " + output + ": " + reason + '\n');
    }
    QCOMPARE(QDir(work_.path()).entryList({".pimoko-*"}, QDir::Files | QDir::Hidden), QStringList());
}

void CommandLineTest::unpackReplacesOnlyWithForce_data()
{
    QTest::addColumn<bool>("force");
    QTest::newRow("without --force") << false;
    QTest::newRow("with --force") << true;
}

// A name taken after --unpack checked the names, while it writes.
void CommandLineTest::unpackReplacesOnlyWithForce()
{
    QFETCH(bool, force);
    const QString folder = path(force ? "unpacked-force" : "unpacked");
    QVERIFY(QDir().mkpath(folder));
    const QString taken = folder + QStringLiteral("/depth4_16_32-16x16-4.png");
    QStringList arguments{"--unpack", folder, QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico")};
    if (force)
        arguments << "--force";
    takenWhileWriting = taken.toStdString();
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCommandLine(parseCommandLine(stdStrings(arguments)), out, err);
    takenWhileWriting.clear();

    if (force) {
        QCOMPARE(status, 0);
        QVERIFY(readAll(taken).startsWith("\x89PNG\r\n\x1a\n"));
        return;
    }
    QCOMPARE(status, 3);
    QCOMPARE(QString::fromStdString(err.str()),
             QStringLiteral("pimoko: %1: ファイルは既に存在します\n").arg(taken));
    QCOMPARE(readAll(taken), kAnotherProgramsFile);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(taken).fileName()});
}

void CommandLineTest::listMarksTheEditorsChoice_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("refusal");
    // The colour count is the one the bits per pixel hold, none above 8 bits.
    QTest::newRow("three sizes, the 32 chosen")
        << QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/imagemagick_sizes.ico")
        << QStringList{"   0   24 x 24       — colours  32 bits  bitmap     2440 bytes",
                       "*  1   32 x 32       — colours  32 bits  bitmap     4264 bytes",
                       "   2   16 x 16       — colours  32 bits  bitmap     1128 bytes"}
        << QString();
    QTest::newRow("bitmap and PNG images") << QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/mixed_png.ico")
                                           << QStringList{} << QString();
    QTest::newRow("program") << QStringLiteral(PIMOKO_TEST_DATA_DIR "/pe/pe64_icon.exe")
                             << QStringList{"   0   16 x 16      16 colours   4 bits  bitmap      296 bytes",
                                            "   1   32 x 32     256 colours   8 bits  bitmap     2216 bytes",
                                            "*  2   32 x 32       — colours  64 bits  PNG         187 bytes"}
                             << QString();
    // Listed, and said not to be opened.
    QTest::newRow("cursor layout") << path("standard.cur")
                                   << QStringList{"   0   32 x 32       2 colours   1 bits  bitmap      304 bytes"}
                                   << QStringLiteral("it is a cursor in the cursor layout (header type 2); the editor "
                                                     "opens only files in the icon layout (type 1)");
}

void CommandLineTest::listMarksTheEditorsChoice()
{
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    QFETCH(QString, refusal);
    const Run run = runProgram({"--list", file});
    const QStringList printed = run.out.split('\n', Qt::SkipEmptyParts);
    if (!lines.isEmpty())
        QCOMPARE(printed, lines);
    if (!refusal.isEmpty()) {
        QCOMPARE(run.err, "pimoko: " + file + ": the editor does not open this file: " + refusal + '\n');
        QCOMPARE(run.status, 1);
        return;
    }
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
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

void CommandLineTest::unwrittenStandardOutputExitsThree_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("--help") << QStringList{"--help"};
    QTest::newRow("--list") << QStringList{"--list", QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/mixed_png.ico")};
}

void CommandLineTest::unwrittenStandardOutputExitsThree()
{
    QFETCH(QStringList, arguments);
    const Run run = runProgram(arguments, [](QProcess& process) { process.setStandardOutputFile("/dev/full"); });
    QCOMPARE(run.err, QStringLiteral("pimoko: cannot write to standard output: ディスクの空き領域が足りません\n"));
    QCOMPARE(run.status, 3);
}

// No display set, or none that can be reached (nothing listens on X
// display :97 nor on the Wayland socket "pimoko-none"): one line naming
// what was tried, exit 1.
void CommandLineTest::windowWithoutDisplayExitsOne_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("why");
    const QString noX = QStringLiteral("DISPLAY=:97");
    const QString noWayland = QStringLiteral("WAYLAND_DISPLAY=pimoko-none");
    QTest::newRow("no file") << QStringList{} << QStringList{} << "neither DISPLAY nor WAYLAND_DISPLAY is set";
    QTest::newRow("a file and a Qt option")
        << QStringList{"-style", "fusion", path("odd.bmp")} << QStringList{}
        << "neither DISPLAY nor WAYLAND_DISPLAY is set";
    QTest::newRow("X server not there") << QStringList{} << QStringList{noX} << "cannot reach DISPLAY=:97";
    QTest::newRow("compositor not there")
        << QStringList{} << QStringList{noWayland} << "cannot reach WAYLAND_DISPLAY=pimoko-none";
    QTest::newRow("neither there") << QStringList{path("odd.bmp")} << QStringList{noX, noWayland}
                                   << "cannot reach DISPLAY=:97 nor WAYLAND_DISPLAY=pimoko-none";
    QTest::newRow("the user's QT_QPA_PLATFORM")
        << QStringList{} << QStringList{noX, noWayland, "QT_QPA_PLATFORM=wayland"}
        << "cannot reach WAYLAND_DISPLAY=pimoko-none";
    QTest::newRow("the user's --platform over QT_QPA_PLATFORM")
        << QStringList{"--platform", "xcb"} << QStringList{noX, noWayland, "QT_QPA_PLATFORM=wayland"}
        << "cannot reach DISPLAY=:97";
    QTest::newRow("the user's unknown -platform")
        << QStringList{"-platform", "nosuch:size=9x9"} << QStringList{}
        << "cannot reach the window system \"nosuch\"";
    QTest::newRow("the user's xcb, DISPLAY unset")
        << QStringList{} << QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY="} << "cannot reach DISPLAY (not set)";
}

void CommandLineTest::windowWithoutDisplayExitsOne()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QString, why);
    QVERIFY2(!QFile::exists(QStringLiteral("/tmp/.X11-unix/X97")), "an X server on :97");
    const Run run = runProgram(arguments, [&](QProcess& process) {
        QProcessEnvironment variables = process.processEnvironment();
        variables.insert(QStringLiteral("XDG_RUNTIME_DIR"), work_.path());
        for (const QString& variable : environment)
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(variables);
    });
    QCOMPARE(run.err, "pimoko: no display to open the window on (" + why + "); --convert and --list work without one\n");
    QCOMPARE(run.status, 1);
}

// Nothing the program runs comes from its working folder: neither the
// window module nor a library. A file named "pimoko-window.so" is a copy
// of the real module; any other is not a library at all. "without its
// folder" runs a copy of the program at a path longer than the system
// reads back for a running program (/proc/self/exe), through a link.
void CommandLineTest::nothingIsTakenFromTheWorkingFolder_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("withoutItsFolder");
    QTest::addColumn<QStringList>("planted");
    QTest::addColumn<int>("status");
    const QStringList libraries{"libc.so.6", "libm.so.6", "libpng16.so.16", "libz.so.1", "libQt6Core.so.6",
                                "libQt6Gui.so.6", "libQt6Widgets.so.6"};
    QTest::newRow("module, program without its folder") << QStringList{} << true
                                                        << QStringList{"pimoko-window.so"} << 1;
    QTest::newRow("libraries, window") << QStringList{} << false << libraries << 0;
    QTest::newRow("libraries, PNG icon converted")
        << QStringList{"--convert", path("png.ico"), QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/png_gray16.ico")}
        << false << libraries << 0;
}

void CommandLineTest::nothingIsTakenFromTheWorkingFolder()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, withoutItsFolder);
    QFETCH(QStringList, planted);
    QFETCH(int, status);
    QString programFile = program();
    if (withoutItsFolder) {
        const QString level(200, u'd');
        QStringList levels;
        for (int i = 0; i < 12; ++i)
            levels.append(level);
        const QString half = levels.join(u'/');
        const QString base = work_.filePath(QStringLiteral("deep"));
        programFile = base + "/link/" + half + "/pimoko";
        QVERIFY(QDir().mkpath(base + '/' + half));
        QVERIFY(QFile::link(half, base + "/link"));
        QVERIFY(QDir().mkpath(base + "/link/" + half));
        QVERIFY(QFile::copy(program(), programFile));
    }
    QTemporaryDir here(work_.filePath(QStringLiteral("here-XXXXXX")));
    for (const QString& name : planted) {
        if (name == u"pimoko-window.so")
            QVERIFY(QFile::copy(QFileInfo(program()).dir().filePath(name), here.filePath(name)));
        else
            writeBytes(here.filePath(name), {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    }
    const Run run = runProgram(arguments, [&](QProcess& process) {
        process.setWorkingDirectory(here.path());
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("PIMOKO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        process.setProcessEnvironment(environment);
    }, programFile);
    QCOMPARE(run.status, status);
    // The sanitizers' runtime may say on the same stream that it cannot name
    // the program either: its lines start with "==".
    QStringList said = run.err.split(u'\n', Qt::SkipEmptyParts);
    said.removeIf([](const QString& line) { return line.startsWith(u"=="); });
    if (status != 0)
        QVERIFY2(said.size() == 1 && said.front().startsWith(u"pimoko: cannot load the window: "), qPrintable(run.err));
}

void CommandLineTest::windowSystemPrefersX11_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<QString>("qtPlatform");
    QTest::addColumn<QStringList>("qtArguments");
    QTest::addColumn<QString>("plugin");  // "" the user's own; "-" no display at all
    QTest::newRow("X11 session") << ":0" << "" << "" << QStringList{} << "xcb";
    QTest::newRow("Wayland session with XWayland") << ":0" << "wayland-0" << "" << QStringList{} << "xcb;wayland";
    QTest::newRow("Wayland alone") << "" << "wayland-0" << "" << QStringList{} << "wayland";
    QTest::newRow("no display") << "" << "" << "" << QStringList{} << "-";
    QTest::newRow("the user's QT_QPA_PLATFORM") << ":0" << "wayland-0" << "wayland" << QStringList{} << "";
    QTest::newRow("the user's -platform, no display") << "" << "" << "" << QStringList{"-platform", "vnc"} << "";
}

void CommandLineTest::windowSystemPrefersX11()
{
    QFETCH(QString, display);
    QFETCH(QString, waylandDisplay);
    QFETCH(QString, qtPlatform);
    QFETCH(QStringList, qtArguments);
    QFETCH(QString, plugin);
    const std::optional<std::string> chosen = chooseWindowPlatform(
        {display.toStdString(), waylandDisplay.toStdString(), qtPlatform.toStdString()}, stdStrings(qtArguments));
    QCOMPARE(chosen ? QString::fromStdString(*chosen) : QStringLiteral("-"), plugin);
}

QTEST_MAIN(CommandLineTest)
#include "tst_command_line.moc"
