// pimoko --thumbnail run as a process: for each kind of file and each usual
// size, the image chosen, the size written and every pixel with its alpha,
// judged by Qt's own readers of the input and of the PNG written; and no
// file at all where the input is refused or the command line is wrong.
#include "files/codec/bmp_writer.h"
#include "files/codec/icon_file.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "raster/rgba_scaling.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/qt_ico_reader.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <random>

#include <sys/stat.h>

using namespace pimoko;

namespace {

const QString kData = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
constexpr int kSizes[] = {16, 48, 128, 256};

// The exit status and standard error of the program.
std::pair<int, QString> thumbnail(const QStringList& arguments)
{
    const ProgramRun run = runProgram(QStringList{"--thumbnail"} + arguments);
    return {run.status, run.err};
}

// Seeded pixels of `colors`, each with one of `alphas`.
RgbaImage randomImage(int side, std::uint32_t seed, const std::vector<Rgba>& colors, const std::vector<int>& alphas)
{
    std::mt19937 random(seed);
    RgbaImage image(side, side);
    for (Rgba* p = image.row(0); p != image.row(0) + side * side; ++p) {
        const int alpha = alphas[random() % alphas.size()];
        *p = alpha == 0 ? kClear : colors[random() % colors.size()];
        p->a = std::uint8_t(alpha);
    }
    return image;
}

std::size_t find(const Bytes& bytes, const Bytes& what)
{
    return std::size_t(std::search(bytes.begin(), bytes.end(), what.begin(), what.end()) - bytes.begin());
}

} // namespace

class ThumbnailTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void thumbnailOfEachFile_data();
    void thumbnailOfEachFile();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();

private:
    QString path(const char* name) const { return work_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir work_;
};

void ThumbnailTest::initTestCase()
{
    std::vector<Rgba> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({std::uint8_t(i * 6), std::uint8_t(255 - i * 5), std::uint8_t(i * 3), 255});
    // Each size in another storage: 4 bits, 8, 32 (two of 32 x 32, the
    // shallower first), 32 and PNG.
    const std::vector<RgbaImage> images{
        randomImage(16, 1, {{0, 0, 0, 255}, {255, 0, 0, 255}, {0, 0, 255, 255}}, {0, 255}),
        randomImage(32, 2, many, {0, 255}),
        randomImage(32, 3, many, {0, 40, 128, 255}),
        randomImage(48, 4, many, {0, 1, 90, 254, 255}),
        randomImage(256, 5, many, {0, 7, 128, 200, 255}),
    };
    writeBytes(path("sizes.ico"), packIconFile(images));
    writeBytes(path("sizes.cur"), packIconFile(images, Point{3, 5}));
    QVERIFY(QFile::copy(kData + "icons/depth4_16_32.ico", path("icon-layout.cur")));
    std::mt19937 random(6);
    PixelBuffer picture(20, 13);
    for (int i = 0; i < 20 * 13; ++i)
        picture.setPixel(i % 20, i / 20, random() & 0xFFFFFF);
    writeBytes(path("odd.bmp"), bitmapFileBytes(picture));
    writeBytes(path("big.bmp"), bitmapFileBytes(PixelBuffer(65, 64)));
    // A program far larger than any memory, read by its headers alone.
    QVERIFY(QFile::copy(kData + "pe/pe32_icon.exe", path("huge.exe")));
    QVERIFY(QFile(path("huge.exe")).resize(qint64(1) << 40));

    QVERIFY(QFile(path("huge.ico")).open(QIODevice::WriteOnly));
    QVERIFY(QFile(path("huge.ico")).resize(kMaxIconFileSize + 1));
    Bytes file = readFileBytes(path("sizes.ico"));
    file.resize(file.size() / 2);
    writeBytes(path("cut.ico"), file);
    // The PNG member of a program damaged after its signature; then its data
    // entry saying 5 MiB, its section stretched over a file of 1 TiB.
    file = readDataFile("pe/pe64_icon.exe");
    const std::size_t png = find(file, {0x89, 'P', 'N', 'G'});
    QVERIFY(png + 16 < file.size());
    std::fill(file.begin() + std::ptrdiff_t(png) + 8, file.begin() + std::ptrdiff_t(png) + 16, 0xFF);
    writeBytes(path("damaged.exe"), file);
    file = readDataFile("pe/pe64_icon.exe");
    constexpr std::size_t kPngMemberSize = 0x8E4;
    QCOMPARE(file.at(kPngMemberSize), std::uint8_t(187));
    set32(file, kPngMemberSize, 5 << 20);
    const std::size_t section = find(file, {'.', 'r', 's', 'r', 'c', 0, 0, 0});
    QVERIFY(section < file.size());
    set32(file, section + 16, 16 << 20);
    writeBytes(path("huge-member.exe"), file);
    QVERIFY(QFile(path("huge-member.exe")).resize(qint64(1) << 40));
    // An icon of one PNG image of 257 x 1.
    const Bytes wide = readDataFile("icons/wide257.png");
    file = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 32, 0};
    put32(file, std::uint32_t(wide.size()));
    put32(file, 22);
    file.insert(file.end(), wide.begin(), wide.end());
    writeBytes(path("wide.ico"), file);
    QVERIFY(QFile::copy(kData + "icons/depth8.ico", path("icon.exe")));
    // Files as file managers hand them over, named anything.
    QVERIFY(QFile::copy(path("sizes.ico"), path("download")));
    QVERIFY(QFile::copy(path("sizes.cur"), path("pointer.tmp")));
    QVERIFY(QFile::copy(path("odd.bmp"), path("picture")));
    QVERIFY(QFile::copy(kData + "png/rgba8.png", path("image.part")));
    QVERIFY(QFile::copy(kData + "pe/pe32_icon.exe", path("setup")));
    writeBytes(path("notes.txt"), Bytes{'M', 'Y', 0, 0, 1, 0});
    writeBytes(path("two-bytes"), Bytes{'B', 'M'});
    // A pipe with no writer: opening it would wait for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.ico")).constData(), 0600), 0);
}

void ThumbnailTest::thumbnailOfEachFile_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("judge");  // the file Qt reads the images of
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chosen");     // which of the judge's images
    QTest::addColumn<QSize>("written");
    // One row per usual size, "chosen:WxH" each.
    const auto rows = [](const char* name, const QString& input, const QString& judge, const QString& expected) {
        const QStringList each = expected.split(' ');
        for (int i = 0; i < 4; ++i) {
            const QStringList n = each[i].split(QRegularExpression("[:x]"));
            QTest::addRow("%s, %d", name, kSizes[i]) << input << judge << kSizes[i] << n[0].toInt()
                                                     << QSize(n[1].toInt(), n[2].toInt());
        }
    };
    const QString sizes = "0:16x16 3:48x48 4:128x128 4:256x256";
    rows("icon of 16, 32, 32, 48, 256", path("sizes.ico"), path("sizes.ico"), sizes);
    rows("cursor layout", path("sizes.cur"), path("sizes.cur"), sizes);
    rows("cursor in icon layout", path("icon-layout.cur"), path("icon-layout.cur"), "0:16x16 1:32x32 1:128x128 1:128x128");
    rows("16 only: at most 4 times", kData + "icons/only16.ico", kData + "icons/only16.ico", "0:16x16 0:48x48 0:64x64 0:64x64");
    rows("1 bit", kData + "icons/depth1.ico", kData + "icons/depth1.ico", "0:16x16 0:32x32 0:128x128 0:128x128");
    rows("alpha", kData + "icons/depth32_alpha.ico", kData + "icons/depth32_alpha.ico", "0:16x16 0:32x32 0:128x128 0:128x128");
    rows("PE32", kData + "pe/pe32_icon.exe", kData + "icons/depth4_16_32.ico", "0:16x16 1:32x32 1:128x128 1:128x128");
    rows("PE32+ with a PNG", kData + "pe/pe64_icon.exe", kData + "icons/mixed_png.ico", "0:16x16 2:32x32 2:128x128 2:128x128");
    rows("program of 1 TiB", path("huge.exe"), kData + "icons/depth4_16_32.ico", "0:16x16 1:32x32 1:128x128 1:128x128");
    rows("bitmap 20 x 13", path("odd.bmp"), path("odd.bmp"), "0:16x10 0:40x26 0:80x52 0:80x52");
    rows("icon named without extension", path("download"), path("sizes.ico"), sizes);
    rows("cursor named .tmp", path("pointer.tmp"), path("sizes.cur"), sizes);
    rows("bitmap named without extension", path("picture"), path("odd.bmp"), "0:16x10 0:40x26 0:80x52 0:80x52");
    rows("PNG named .part", path("image.part"), kData + "png/rgba8.png", "0:15x9 0:20x12 0:20x12 0:20x12");
    rows("program named without extension", path("setup"), kData + "icons/depth4_16_32.ico",
         "0:16x16 1:32x32 1:128x128 1:128x128");
}

void ThumbnailTest::thumbnailOfEachFile()
{
    QFETCH(QString, input);
    QFETCH(QString, judge);
    QFETCH(int, size);
    QFETCH(int, chosen);
    QFETCH(QSize, written);
    const QString output = path("out.png");
    QFile::remove(output);
    const auto [status, err] = thumbnail({input, output, QString::number(size)});
    QVERIFY2(status == 0, qPrintable(err));
    const QImage thumb(output, "png");
    QCOMPARE(thumb.size(), written);
    const std::vector<QImage> images = judge.endsWith(u".bmp") || judge.endsWith(u".png") ? std::vector{QImage(judge)}
                                                                : readIconWithQt(readFileBytes(judge));
    const QString difference = differenceFromQt(fitThumbnail(rgbaImageOf(images.at(std::size_t(chosen))), size), thumb);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void ThumbnailTest::refusalsWriteNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    const auto refused = [&](const char* name, const QString& input, const QString& error) {
        QTest::newRow(name) << QStringList{input, path("refused.png"), "48"} << 1 << error;
    };
    // The readers' own tests have every refusal; a few of each kind here.
    refused("PE32 without icon", kData + "pe/pe32_no_icon.exe", kNoProgramIconText);
    refused("icon named .exe", path("icon.exe"), kNoProgramIconText);
    refused("program member damaged", path("damaged.exe"), kInvalidIconText);
    refused("program member over 4 MiB", path("huge-member.exe"), "ファイルが大きすぎます");
    refused("PNG image of 257", path("wide.ico"), kInvalidIconText);
    refused("icon cut", path("cut.ico"), kInvalidIconText);
    refused("bitmap 65 x 64", path("big.bmp"), "『 64 X 64 』");
    refused("icon above 4 MiB", path("huge.ico"), "ファイルが大きすぎます");
    refused("pipe", path("pipe.ico"), "pimoko: " + path("pipe.ico") + ": 通常のファイルではありません\n");
    refused("missing", path("missing.ico"), "pimoko: " + path("missing.ico") + ": ファイルまたはフォルダが見つかりません\n");
    refused("kind not read", path("notes.txt"), "--thumbnail reads");
    refused("nothing but BM", path("two-bytes"), "ビットマップイメージが不正です");
    const QString icon = path("sizes.ico");
    for (const char* side : {"15", "1025", "+48", "48px"})
        QTest::addRow("SIZE %s", side) << QStringList{icon, path("refused.png"), side} << 2 << "SIZE";
    QTest::newRow("no SIZE") << QStringList{icon, path("refused.png")} << 2 << "takes";
    QTest::newRow("output not .png") << QStringList{icon, path("refused.ico"), "48"} << 2 << ".png";
    QTest::newRow("folder missing") << QStringList{icon, path("missing/refused.png"), "48"} << 3
                                    << "pimoko: " + path("missing/refused.png") + ": ファイルまたはフォルダが見つかりません\n";
}

void ThumbnailTest::refusalsWriteNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, error);
    for (const QString& left : QDir(work_.path()).entryList({"refused*"}))
        QFile::remove(work_.filePath(left));
    const auto [exitStatus, err] = thumbnail(arguments);
    QCOMPARE(exitStatus, status);
    QVERIFY2(err.contains(error), qPrintable(err));
    QCOMPARE(QDir(work_.path()).entryList({"refused*"}), QStringList());
}

QTEST_GUILESS_MAIN(ThumbnailTest)
#include "tst_thumbnail.moc"
