// pimoko --thumbnail run as a process: for each kind of file and each usual
// size, the image chosen, the size written and every pixel with its alpha,
// judged by Qt's own readers of the input and of the PNG written; and no
// file at all where the input is refused or the command line is wrong.
#include "files/codec/icon_file.h"
#include "files/codec/icon_images.h"
#include "files/codec/icon_packer.h"
#include "files/codec/bmp_writer.h"
#include "raster/rgba_scaling.h"
#include "support/file_bytes.h"
#include "support/qt_ico_reader.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

#include <sys/stat.h>

using namespace pimoko;

namespace {

struct Run {
    int status = -1;
    QString err;
};

// The program lies in the build folder, one above the tests.
Run thumbnail(const QStringList& arguments)
{
    QProcess process;
    process.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../pimoko")),
                  QStringList{"--thumbnail"} + arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

void writeFile(const QString& path, const Bytes& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())), qint64(bytes.size()));
}

// Seeded pixels: colours from `colors`, alpha from `alphas`.
RgbaImage randomImage(int side, std::uint32_t seed, const std::vector<Rgba>& colors, const std::vector<int>& alphas)
{
    std::mt19937 random(seed);
    RgbaImage image(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            Rgba p = colors[random() % colors.size()];
            p.a = std::uint8_t(alphas[random() % alphas.size()]);
            image.setPixel(x, y, p.a == 0 ? kClear : p);
        }
    return image;
}

// Every image of a file as Qt reads it: an icon or cursor by its ico
// plugin, a bitmap by its bmp plugin.
std::vector<QImage> readWithQt(const QString& path)
{
    if (path.endsWith(u".bmp"))
        return {QImage(path, "bmp")};
    return readIconWithQt(readFileBytes(path));
}

RgbaImage rgbaOf(const QImage& qt)
{
    const QImage straight = qt.convertToFormat(QImage::Format_ARGB32);
    RgbaImage image(straight.width(), straight.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = straight.pixel(x, y);
            image.setPixel(x, y, qAlpha(p) == 0 ? kClear : Rgba{std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)),
                                                               std::uint8_t(qBlue(p)), std::uint8_t(qAlpha(p))});
        }
    return image;
}

constexpr int kSizes[] = {16, 48, 128, 256};

} // namespace

class ThumbnailTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void thumbnailOfEachFile_data();
    void thumbnailOfEachFile();
    void refusedFilesWriteNothing_data();
    void refusedFilesWriteNothing();
    void badCommandLinesWriteNothing_data();
    void badCommandLinesWriteNothing();

private:
    QString path(const QString& name) const { return work_.filePath(name); }
    QTemporaryDir work_;
};

void ThumbnailTest::initTestCase()
{
    const std::vector<Rgba> standard{{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 128, 0, 0}, {0, 0, 255, 0}, {255, 255, 0, 0}};
    std::vector<Rgba> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({std::uint8_t(i * 6), std::uint8_t(255 - i * 5), std::uint8_t(i * 3), 0});
    // Each size in another storage; two of 32 x 32, the shallower first.
    const std::vector<RgbaImage> images{
        randomImage(16, 1, standard, {0, 255}),             // 4 bits
        randomImage(32, 2, many, {0, 255}),                 // 8 bits
        randomImage(32, 3, many, {0, 40, 128, 255}),        // 32 bits
        randomImage(48, 4, many, {0, 1, 90, 254, 255}),     // 32 bits
        randomImage(256, 5, many, {0, 7, 128, 200, 255}),   // PNG
    };
    writeFile(path("sizes.ico"), packIconFile(images));
    writeFile(path("sizes.cur"), packIconFile(images, Point{3, 5}));
    QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico"), path("icon-layout.cur")));

    // Not square, in a bitmap's own 8-bit format.
    std::mt19937 random(6);
    PixelBuffer picture(20, 13, 0, PixelFormat::indexed(8, {0x0000FF, 0x00FF00, 0xFF0000, 0x123456}));
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 20; ++x)
            picture.setPixel(x, y, picture.format().palette[random() % 4]);
    writeFile(path("odd.bmp"), writeBitmapFile(picture));
    writeFile(path("big.bmp"), writeBitmapFile(PixelBuffer(65, 64)));

    // A program far larger than any memory, read by its headers alone.
    QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/pe/pe32_icon.exe"), path("huge.exe")));
    QVERIFY(QFile(path("huge.exe")).resize(qint64(1) << 40));
    // An icon beyond the largest read, holding nothing.
    QVERIFY(QFile(path("huge.ico")).open(QIODevice::WriteOnly));
    QVERIFY(QFile(path("huge.ico")).resize(kMaxIconFileSize + 1));

    Bytes cut = readFileBytes(path("sizes.ico"));
    cut.resize(cut.size() / 2);
    writeFile(path("cut.ico"), cut);
    Bytes type3 = readDataFile("icons/depth8.ico");
    type3[2] = 3;
    writeFile(path("type3.ico"), type3);
    // A program whose PNG member is damaged after its signature.
    Bytes program = readDataFile("pe/pe64_icon.exe");
    const Bytes signature{0x89, 'P', 'N', 'G'};
    const auto png = std::search(program.begin(), program.end(), signature.begin(), signature.end());
    QVERIFY(png != program.end());
    std::fill(png + 8, png + 16, 0xFF);
    writeFile(path("damaged.exe"), program);
    // The same program, its resources stretched over a file of 1 TiB and the
    // PNG member's data entry saying 5 MiB: more than an icon file holds.
    program = readDataFile("pe/pe64_icon.exe");
    const Bytes resources{'.', 'r', 's', 'r', 'c', 0, 0, 0};
    const auto section = std::search(program.begin(), program.end(), resources.begin(), resources.end());
    QVERIFY(section != program.end());
    set32(program, std::size_t(section - program.begin()) + 16, 16 << 20);  // its stored size
    constexpr std::size_t kPngMemberSize = 0x8E4;
    QCOMPARE(program[kPngMemberSize], std::uint8_t(187));
    set32(program, kPngMemberSize, 5 << 20);
    writeFile(path("huge-member.exe"), program);
    QVERIFY(QFile(path("huge-member.exe")).resize(qint64(1) << 40));
    // An icon whose one image is a PNG of 257 x 1.
    const Bytes wide = readDataFile("icons/wide257.png");
    Bytes icon;
    for (const std::uint32_t field : {0u, 1u, 1u})
        put16(icon, field);
    icon.insert(icon.end(), {1, 1, 0, 0});  // 1 x 1, whatever the PNG says
    put16(icon, 1);
    put16(icon, 32);
    put32(icon, std::uint32_t(wide.size()));
    put32(icon, 22);
    icon.insert(icon.end(), wide.begin(), wide.end());
    writeFile(path("wide.ico"), icon);
    QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth8.ico"), path("icon.exe")));
    QVERIFY(QFile::copy(QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth8.ico"), path("icon.png")));
    // A pipe with no writer: opening it would wait for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.ico")).constData(), 0600), 0);
}

void ThumbnailTest::thumbnailOfEachFile_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("judge");  // the file Qt reads for the images
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chosen");     // which of the judge's images
    QTest::addColumn<QSize>("written");
    const QString data = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
    // Four rows, one per usual size: "chosen:WxH" each.
    const auto rows = [&](const char* name, const QString& input, const QString& judge, const QString& expected) {
        const QStringList each = expected.split(' ');
        for (int i = 0; i < 4; ++i) {
            const QStringList parts = each[i].split(QRegularExpression("[:x]"));
            QTest::addRow("%s, %d", name, kSizes[i]) << input << judge << kSizes[i] << parts[0].toInt()
                                                     << QSize(parts[1].toInt(), parts[2].toInt());
        }
    };
    rows("icon of 16, 32, 32, 48, 256", path("sizes.ico"), path("sizes.ico"),
         "0:16x16 3:48x48 4:128x128 4:256x256");
    rows("cursor layout", path("sizes.cur"), path("sizes.cur"), "0:16x16 3:48x48 4:128x128 4:256x256");
    rows("cursor in icon layout", path("icon-layout.cur"), path("icon-layout.cur"),
         "0:16x16 1:32x32 1:128x128 1:128x128");
    rows("16 only: at most 4 times", data + "icons/only16.ico", data + "icons/only16.ico",
         "0:16x16 0:48x48 0:64x64 0:64x64");
    rows("1 bit", data + "icons/depth1.ico", data + "icons/depth1.ico", "0:16x16 0:32x32 0:128x128 0:128x128");
    rows("alpha", data + "icons/depth32_alpha.ico", data + "icons/depth32_alpha.ico",
         "0:16x16 0:32x32 0:128x128 0:128x128");
    rows("PE32", data + "pe/pe32_icon.exe", data + "icons/depth4_16_32.ico", "0:16x16 1:32x32 1:128x128 1:128x128");
    rows("PE32+ with a PNG", data + "pe/pe64_icon.exe", data + "icons/mixed_png.ico",
         "0:16x16 2:32x32 2:128x128 2:128x128");
    rows("program of 1 TiB", path("huge.exe"), data + "icons/depth4_16_32.ico", "0:16x16 1:32x32 1:128x128 1:128x128");
    rows("bitmap 20 x 13", path("odd.bmp"), path("odd.bmp"), "0:16x10 0:40x26 0:80x52 0:80x52");
}

void ThumbnailTest::thumbnailOfEachFile()
{
    QFETCH(QString, input);
    QFETCH(QString, judge);
    QFETCH(int, size);
    QFETCH(int, chosen);
    QFETCH(QSize, written);
    const QString output = path(QStringLiteral("out-%1.png").arg(size));
    QFile::remove(output);
    const Run run = thumbnail({input, output, QString::number(size)});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QImage thumb(output, "png");
    QCOMPARE(thumb.size(), written);
    const std::vector<QImage> images = readWithQt(judge);
    QVERIFY(std::size_t(chosen) < images.size());
    const RgbaImage expected = fitThumbnail(rgbaOf(images[std::size_t(chosen)]), size);
    const QString difference = differenceFromQt(expected, thumb);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void ThumbnailTest::refusedFilesWriteNothing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("error");
    const QString data = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
    QTest::newRow("PE32 without icon") << data + "pe/pe32_no_icon.exe" << kNoProgramIconText;
    QTest::newRow("PE32+ without icon") << data + "pe/pe64_no_icon.exe" << kNoProgramIconText;
    QTest::newRow("icon named .exe") << path("icon.exe") << kNoProgramIconText;
    QTest::newRow("program member damaged") << path("damaged.exe") << kInvalidIconText;
    QTest::newRow("program member over 4 MiB") << path("huge-member.exe") << "ファイルが大きすぎます";
    QTest::newRow("PNG image of 257") << path("wide.ico") << kInvalidIconText;
    QTest::newRow("icon cut") << path("cut.ico") << kInvalidIconText;
    QTest::newRow("header type 3") << path("type3.ico") << kInvalidIconText;
    QTest::newRow("bitmap 65 x 64") << path("big.bmp") << "『 64 X 64 』";
    QTest::newRow("icon above 4 MiB") << path("huge.ico") << "ファイルが大きすぎます";
    QTest::newRow("pipe") << path("pipe.ico") << "は開けません";
    QTest::newRow("missing") << path("missing.ico") << "は開けません";
    QTest::newRow("kind not read") << path("icon.png") << "--thumbnail reads";
}

void ThumbnailTest::refusedFilesWriteNothing()
{
    QFETCH(QString, input);
    QFETCH(QString, error);
    const QString output = path(QStringLiteral("refused.png"));
    QFile::remove(output);
    const Run run = thumbnail({input, output, QStringLiteral("48")});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(error), qPrintable(run.err));
    QVERIFY(!QFile::exists(output));
}

void ThumbnailTest::badCommandLinesWriteNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    const QString icon = path("sizes.ico");
    const QString out = path("bad.png");
    QTest::newRow("SIZE 15") << QStringList{icon, out, "15"} << 2;
    QTest::newRow("SIZE 1025") << QStringList{icon, out, "1025"} << 2;
    QTest::newRow("SIZE +48") << QStringList{icon, out, "+48"} << 2;
    QTest::newRow("SIZE 48px") << QStringList{icon, out, "48px"} << 2;
    QTest::newRow("no SIZE") << QStringList{icon, out} << 2;
    QTest::newRow("output not .png") << QStringList{icon, path("bad.ico"), "48"} << 2;
    QTest::newRow("folder missing") << QStringList{icon, path("missing/bad.png"), "48"} << 3;
}

void ThumbnailTest::badCommandLinesWriteNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    for (const QString& left : QDir(work_.path()).entryList({"bad*"}))
        QFile::remove(path(left));
    const Run run = thumbnail(arguments);
    QCOMPARE(run.status, status);
    QVERIFY(!run.err.isEmpty());
    QCOMPARE(QDir(work_.path()).entryList({"bad*"}), QStringList());
}

QTEST_GUILESS_MAIN(ThumbnailTest)
#include "tst_thumbnail.moc"
