// The command line's refusals, run as the program: each is one line on
// standard error, "pimoko: FILE: reason", naming the input or the output it
// is about, with the exit status the manual page gives, and nothing written.
#include "support/program_run.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

namespace {

const QString kThreeSizes = QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico");

} // namespace

class CommandLineErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void eachRefusalIsOneLine_data();
    void eachRefusalIsOneLine();
    void controlCharactersInNamesAreQuoted_data();
    void controlCharactersInNamesAreQuoted();

private:
    QString path(const QString& name) const { return work_.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    QTemporaryDir work_;
};

void CommandLineErrorsTest::initTestCase()
{
    QVERIFY(work_.isValid());
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path("in16.png")));
    QVERIFY(image.scaled(32, 32).save(path("in32.png")));
    QVERIFY(image.save(path("renamed.ico"), "PNG"));
    writeFile("empty.ico", {});
    QFile three(kThreeSizes);
    QVERIFY(three.open(QIODevice::ReadOnly));
    writeFile("truncated.ico", three.read(three.size() / 2));
    std::mt19937 random(26);
    QByteArray noise(300, '\0');
    for (char& byte : noise)
        byte = char(random());
    writeFile("random.bmp", noise);
    writeFile("random.png", noise);
    // Larger than any icon the program reads, without filling the disk.
    QFile huge(path("huge.ico"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(5 << 20));
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("unpacked/depth4_16_32-32x32-4.png")));
}

void CommandLineErrorsTest::eachRefusalIsOneLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");      // the whole of standard error
    QTest::addColumn<QString>("unwritten"); // a file that must not be there after
    const QString out = path("out.ico");
    const auto line = [&](const QString& file, const QString& reason) {
        return "pimoko: " + path(file) + ": " + reason + '\n';
    };
    QTest::newRow("missing") << QStringList{"--convert", out, path("missing.bmp")} << 1
                             << line("missing.bmp", "ファイルまたはフォルダが見つかりません") << out;
    QTest::newRow("empty") << QStringList{"--convert", out, path("empty.ico")} << 1
                           << line("empty.ico", "アイコンイメージが不正です") << out;
    QTest::newRow("truncated") << QStringList{"--thumbnail", path("truncated.ico"), path("t.png"), "32"} << 1
                               << line("truncated.ico", "アイコンイメージが不正です") << path("t.png");
    QTest::newRow("too large") << QStringList{"--unpack", path("parts"), path("huge.ico")} << 1
                               << line("huge.ico", "ファイルが大きすぎます") << path("parts");
    QTest::newRow("PNG renamed .ico") << QStringList{"--convert", out, path("renamed.ico")} << 1
                                      << line("renamed.ico", "アイコンイメージが不正です") << out;
    QTest::newRow("random bytes") << QStringList{"--convert", out, path("random.bmp")} << 1
                                  << line("random.bmp", "ビットマップイメージが不正です") << out;
    QTest::newRow("kind not opened") << QStringList{"--convert", out, path("in16.png")} << 1
                                     << line("in16.png", "このソフトで開けるファイル形式は 『 BMP,ICO,EXE 』 だけです。")
                                     << out;
    QTest::newRow("list of random bytes") << QStringList{"--list", path("random.png")} << 1
                                          << line("random.png", "PNGイメージが不正です") << QString();
    QTest::newRow("pack onto an unwritable output")
        << QStringList{"--pack", path("none/out.ico"), path("in16.png")} << 3
        << line("none/out.ico", "ファイルまたはフォルダが見つかりません") << path("none");
    QTest::newRow("one bad input of three")
        << QStringList{"--pack", out, path("in16.png"), path("random.png"), path("in32.png")} << 1
        << line("random.png", "PNGイメージが不正です") << out;
    QTest::newRow("hot spot at y = height")
        << QStringList{"--pack", path("out.cur"), "--hotspot", "3,16", path("in16.png")} << 1
        << line("out.cur", "ホットスポット（3, 16）が 1 番目の画像（16 x 16）の外にあります") << path("out.cur");
    QTest::newRow("unpack with --force onto a folder")
        << QStringList{"--unpack", path("unpacked"), "--force", kThreeSizes} << 3
        << line("unpacked/depth4_16_32-32x32-4.png", "ファイルではなくフォルダです (nothing written)")
        << path("unpacked/depth4_16_32-16x16-4.png");
    QTest::newRow("list of one file twice") << QStringList{"--list", kThreeSizes, kThreeSizes} << 2
                                            << "pimoko: more than one input file\n"
                                               "Try 'pimoko --help' for more information.\n"
                                            << QString();
    QTest::newRow("thumbnail of 1025") << QStringList{"--thumbnail", kThreeSizes, path("t.png"), "1025"} << 2
                                       << "pimoko: SIZE must be a whole number from 16 to 1024\n"
                                          "Try 'pimoko --help' for more information.\n"
                                       << path("t.png");
    // The ends of the ranges are taken.
    QTest::newRow("scale of 1") << QStringList{"--convert", path("one.png"), "--scale", "1", kThreeSizes} << 0
                                << QString() << QString();
    QTest::newRow("thumbnail of 1024") << QStringList{"--thumbnail", kThreeSizes, path("big.png"), "1024"} << 0
                                       << QString() << QString();
}

void CommandLineErrorsTest::eachRefusalIsOneLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, said);
    QFETCH(QString, unwritten);
    const ProgramRun run = runProgram(arguments);
    QCOMPARE(run.err, said);
    QCOMPARE(run.status, status);
    if (!unwritten.isEmpty())
        QVERIFY2(!QFile::exists(unwritten), qPrintable(unwritten));
}

void CommandLineErrorsTest::controlCharactersInNamesAreQuoted_data()
{
    // name: printf's format of the file's name; shown: what GNU ls
    // --quoting-style=shell-escape prints for that name under C.UTF-8.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("role");  // the file as missing input, refused input or output
    QTest::newRow("line break") << "two\\nlines.ico" << R"('two'$'\n''lines.ico')" << "input";
    QTest::newRow("tab, refused") << "tab\\there.bmp" << R"('tab'$'\t''here.bmp')" << "refused";
    QTest::newRow("escape, output") << "esc\\033[31m.ico" << R"('esc'$'\033''[31m.ico')" << "output";
    QTest::newRow("DEL") << "del\\177.ico" << R"('del'$'\177''.ico')" << "input";
    QTest::newRow("quote and line break") << "it's\\nx.ico" << R"('it'\''s'$'\n''x.ico')" << "input";
    QTest::newRow("no UTF-8, cut short, line break")
        << "bad\\377tri\\343\\200x\\n.ico" << R"('bad'$'\377''tri'$'\343\200''x'$'\n''.ico')" << "output";
    QTest::newRow("C1 control") << "c1\\302\\205x.ico" << R"('c1'$'\302\205''x.ico')" << "input";
    QTest::newRow("Japanese and line break") << "日本\\n語.ico" << R"('日本'$'\n''語.ico')" << "input";
    QTest::newRow("wide, surrogate, overlong") << "e\\303\\251\\360\\237\\231\\202\\355\\240\\200\\300\\257\\n.ico"
                                               << R"('eé🙂'$'\355\240\200\300\257\n''.ico')" << "input";
    QTest::newRow("ideographic space, stray byte, plane 16") << "\\343\\200\\200\\200\\364\\200\\200\\200\\n.ico"
                                                             << "'\u3000'$'\\200''\U00100000'$'\\n''.ico'" << "input";
    QTest::newRow("line separator and line break") << "a\\342\\200\\250b\\n.ico" << R"('a'$'\342\200\250''b'$'\n''.ico')"
                                                   << "input";
    QTest::newRow("noncharacter and line break") << "nc\\357\\277\\277\\n.ico" << R"('nc'$'\357\277\277\n''.ico')"
                                                 << "output";
    QTest::newRow("controls first") << "\\001\\037.ico" << R"(''$'\001\037''.ico')" << "input";
}

void CommandLineErrorsTest::controlCharactersInNamesAreQuoted()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QFETCH(QString, role);
    // Names no QString holds are made by the shell.
    const QString made = QStringLiteral(R"sh(n="$(printf "$2")"; )sh");
    const QString script = role == "output"
        ? made + R"(exec "$0" --convert "$1/none/$n" ")" + kThreeSizes + '"'
        : made + (role == "refused" ? R"(printf BMnois > "$1/$n"; )" : "") + R"(exec "$0" --convert "$1/o.ico" "$1/$n")";
    const ProgramRun run = runProgram({"-c", script, program(), work_.path(), name}, {}, "/bin/sh");
    const QString file = "'" + work_.path() + (role == "output" ? "/none/" : "/") + shown.mid(1);
    const QString reason = role == "refused" ? "ビットマップイメージが不正です" : "ファイルまたはフォルダが見つかりません";
    QCOMPARE(run.err, "pimoko: " + file + ": " + reason + '\n');
    QCOMPARE(run.status, role == "output" ? 3 : 1);
}

QTEST_MAIN(CommandLineErrorsTest)
#include "tst_command_line_errors.moc"
