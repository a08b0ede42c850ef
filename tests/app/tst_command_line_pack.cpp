// --pack, --unpack, --convert to PNG and --list of a PNG, run as the real
// program and judged by independent readers: icotool and wrestool
// (icoutils) and Qt's own ico, bmp and PNG readers.
#include "files/codec/icon_file.h"
#include "files/codec/png_file.h"
#include "files/model/picture_reading.h"
#include "raster/standard_colors.h"
#include "support/program_run.h"
#include "support/file_bytes.h"
#include "support/qt_ico_reader.h"
#include "support/icotool.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <random>

#include <zlib.h>

using namespace pimoko;

namespace {

using Run = ProgramRun;

} // namespace

class CommandLinePackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void packedImagesReadTheSameEverywhere_data();
    void packedImagesReadTheSameEverywhere();
    void standardColoursPackAsTheEditorSaves();
    void replaceKeepsTheOtherImages_data();
    void replaceKeepsTheOtherImages();
    void unpackedImagesMatchIcotool_data();
    void unpackedImagesMatchIcotool();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
    void pngConversionShowsThePicture_data();
    void pngConversionShowsThePicture();
    void listShowsAPngFile();

private:
    QTemporaryDir work_;
    QString path(const QString& name) const { return work_.filePath(name); }
    // The picture --pack takes from a file: Qt's reading of a PNG file, the
    // open command's picture with its corner colour transparent otherwise.
    RgbaImage expectedPicture(const QString& file) const
    {
        if (file.endsWith(u".png"))
            return rgbaImageOf(QImage(file));
        const auto read = readPictureFile(file.toStdString());
        return rgbaImageWithTransparentCorner(std::get<OpenedPicture>(read).picture);
    }
};

void CommandLinePackTest::initTestCase()
{
    for (const char* tool : {"icotool", "wrestool"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), "icoutils is missing: make deps installs it");
    std::vector<QColor> standard, greys, deep;
    for (const Color c : kStandardColors)
        standard.push_back(QColor(redOf(c), greenOf(c), blueOf(c)));
    for (int i = 0; i < 300; ++i) {
        greys.push_back(QColor(i % 200, i % 200, i % 200));
        deep.push_back(QColor::fromRgba64(quint16(i * 211), quint16(i * 97), quint16(i * 389)));
    }
    std::vector<QColor> withClear = standard;
    withClear.push_back(Qt::transparent);
    // Seeded pictures of pixels from `colours` (any colour at all when empty), saved by Qt.
    const auto save = [&](const char* name, int w, int h, QImage::Format format, const std::vector<QColor>& colours) {
        std::mt19937 random(w);
        QImage image(w, h, format);
        for (int i = 0; i < w * h; ++i)
            image.setPixelColor(i % w, i / w, colours.empty() ? QColor::fromRgba(random()) : colours[random() % colours.size()]);
        return image.save(path(name));
    };
    QVERIFY(save("std16.png", 16, 16, QImage::Format_ARGB32, withClear));
    QVERIFY(save("grey24.png", 24, 24, QImage::Format_Grayscale8, greys));
    QVERIFY(save("soft32.png", 32, 32, QImage::Format_ARGB32, {}));
    QVERIFY(save("deep48.png", 48, 48, QImage::Format_RGBX64, deep));
    QVERIFY(save("any256.png", 256, 256, QImage::Format_ARGB32, {}));
    // The same with a text whose CRC is wrong after its header and a byte
    // after its end: libpng reads its pixels, the icon readers' chunk check
    // would refuse it as it is.
    Bytes unsound = readFileBytes(path("any256.png"));
    const Bytes text{0, 0, 0, 3, 't', 'E', 'X', 't', 'a', 0, 'b', 0, 0, 0, 0};
    unsound.insert(unsound.begin() + 33, text.begin(), text.end());
    unsound.push_back(0);
    writeBytes(path("unsound256.png"), unsound);
    // And with a byte of its compressed image data changed, its CRC made
    // right again: only inflating the data finds it.
    Bytes unzipped = readFileBytes(path("any256.png"));
    const std::size_t idat = std::size_t(std::search(unzipped.begin(), unzipped.end(), "IDAT", "IDAT" + 4) - unzipped.begin());
    const std::size_t length = std::size_t(unzipped[idat - 4]) << 24 | std::size_t(unzipped[idat - 3]) << 16
        | std::size_t(unzipped[idat - 2]) << 8 | unzipped[idat - 1];
    unzipped[idat + 4 + length / 2] ^= 0x55;
    const uLong crc = crc32(0, unzipped.data() + idat, uInt(4 + length));
    for (int k = 0; k < 4; ++k)
        unzipped[idat + 4 + length + std::size_t(k)] = std::uint8_t(crc >> (24 - 8 * k));
    writeBytes(path("unzipped256.png"), unzipped);
    // And with bytes after the end of its compressed stream, in its last
    // image data chunk: libpng reads its pixels all the same.
    Bytes trailing = readFileBytes(path("any256.png"));
    const std::size_t last = std::size_t(std::find_end(trailing.begin(), trailing.end(), "IDAT", "IDAT" + 4) - trailing.begin());
    const std::size_t lastLength = std::size_t(trailing[last - 4]) << 24 | std::size_t(trailing[last - 3]) << 16
        | std::size_t(trailing[last - 2]) << 8 | trailing[last - 1];
    trailing.insert(trailing.begin() + std::ptrdiff_t(last + 4 + lastLength), {'j', 'u', 'n', 'k'});
    const uLong lastCrc = crc32(0, trailing.data() + last, uInt(8 + lastLength));
    for (int k = 0; k < 4; ++k) {
        trailing[last - 4 + std::size_t(k)] = std::uint8_t((lastLength + 4) >> (24 - 8 * k));
        trailing[last + 8 + lastLength + std::size_t(k)] = std::uint8_t(lastCrc >> (24 - 8 * k));
    }
    writeBytes(path("trailing256.png"), trailing);
    // An icon of as many images as --pack puts in one.
    QStringList many{"--pack", path("many.ico")};
    for (int side = 1; side <= 64; ++side) {
        many << path(QStringLiteral("line%1.png").arg(side));
        QVERIFY(QImage(side, 1, QImage::Format_ARGB32).save(many.back()));
    }
    QCOMPARE(runTool(many).status, 0);
    QVERIFY(QImage(path("soft32.png")).mirrored().save(path("other32.png")));
    QVERIFY(save("std32.bmp", 32, 32, QImage::Format_RGB32, standard));
    QVERIFY(save("odd.bmp", 20, 13, QImage::Format_RGB32, {0xFF102030, Qt::white, 0xFF00C000, 0xFF808000}));
    QVERIFY(QFile::copy(path("odd.bmp"), path("odd.png")));
    QFile huge(path("huge.png"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(kMaxIconFileSize) + 1));
    // An icon of one PNG image (5 x 3) with a bit of its image data flipped.
    Bytes png = readDataFile("png/rgba8.png");
    png[png.size() - 20] ^= 0x01;  // before the image data's CRC and IEND
    Bytes damaged{0, 0, 1, 0, 1, 0, 5, 3, 0, 0, 1, 0, 32, 0};
    put32(damaged, std::uint32_t(png.size()));
    put32(damaged, 22);
    damaged.insert(damaged.end(), png.begin(), png.end());
    writeBytes(path("damaged.ico"), damaged);
}

void CommandLinePackTest::packedImagesReadTheSameEverywhere_data()
{
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("hotspot");
    QTest::addColumn<QStringList>("storages");  // as --list prints them; empty: not judged
    const QString data = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
    QTest::newRow("five PNG sizes") << QStringList{path("std16.png"), path("grey24.png"), path("soft32.png"),
                                                   path("deep48.png"), path("any256.png")}
                                    << "" << QStringList{"4 bits  bitmap", "8 bits  bitmap", "32 bits  bitmap",
                                                         "32 bits  bitmap", "32 bits  PNG"};
    QTest::newRow("cursor") << QStringList{path("soft32.png"), path("std16.png")} << "9,15"
                            << QStringList{"32 bits  bitmap", "4 bits  bitmap"};
    QTest::newRow("bitmap and icon as opened") << QStringList{path("odd.bmp"), data + "icons/depth8.ico"} << ""
                                               << QStringList{"8 bits  bitmap", "4 bits  bitmap"};
    QTest::newRow("PNG not sound as it is") << QStringList{path("unsound256.png")} << "" << QStringList{"32 bits  PNG"};
    QTest::newRow("program as opened") << QStringList{data + "pe/pe32_icon.exe"} << "" << QStringList{};
    // Qt 6.4 misreads 16-bit RGB with a tRNS colour (see tst_png_file).
    for (const QString& name : QDir(data + "png").entryList({"*.png"}))
        if (name != u"rgb16_trns.png")
            QTest::newRow(qPrintable(name)) << QStringList{data + "png/" + name} << "" << QStringList{};
}

void CommandLinePackTest::packedImagesReadTheSameEverywhere()
{
    QFETCH(QStringList, inputs);
    QFETCH(QString, hotspot);
    QFETCH(QStringList, storages);
    const QString packed = path(hotspot.isEmpty() ? "packed.ico" : "packed.cur");
    const QString unpacked = path(QStringLiteral("packed-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(unpacked));
    const QStringList options = hotspot.isEmpty() ? QStringList{} : QStringList{"--hotspot", hotspot};
    const Run run = runTool(QStringList{"--pack", packed} + options + inputs);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(runTool({"--unpack", unpacked, packed}).status, 0);
    QCOMPARE(runTool({"--thumbnail", packed, path("thumbnail.png"), "16"}).err, QString());

    const std::vector<QImage> qt = readIconWithQt(readFileBytes(packed));
    const std::vector<RgbaImage> icotool = icotoolImages(packed, unpacked + "/icotool");
    const QStringList listed = runTool({"--list", packed}).out.split('\n', Qt::SkipEmptyParts);
    const QStringList icotoolListed = runTool({"-l", packed}, "icotool").out.split('\n', Qt::SkipEmptyParts);
    QStringList names;
    const std::vector<RgbaImage> back = pngFilesIn(unpacked, &names);
    QCOMPARE(qt.size(), std::size_t(inputs.size()));
    QCOMPARE(icotool.size(), std::size_t(inputs.size()));
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const RgbaImage expected = expectedPicture(inputs[i]);
        const QString size = QStringLiteral("-%1x%2-").arg(expected.width()).arg(expected.height());
        const auto name = std::find_if(names.begin(), names.end(), [&](const QString& n) { return n.contains(size); });
        QVERIFY2(name != names.end(), qPrintable(size));
        QVERIFY2(back[std::size_t(name - names.begin())] == expected, qPrintable(*name));
        QVERIFY(icotool[std::size_t(i)] == expected);
        const QString difference = differenceFromQt(expected, qt[std::size_t(i)]);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        if (!storages.isEmpty())
            QVERIFY2(listed[i].contains(storages[i]), qPrintable(listed[i]));
        if (!hotspot.isEmpty())
            QVERIFY2(icotoolListed[i].contains("--hotspot-x=" + hotspot.section(',', 0, 0) + " --hotspot-y="
                                               + hotspot.section(',', 1)),
                     qPrintable(icotoolListed[i]));
    }
}

void CommandLinePackTest::standardColoursPackAsTheEditorSaves()
{
    QCOMPARE(runTool({"--pack", path("packed32.ico"), path("std32.bmp")}).status, 0);
    QCOMPARE(runTool({"--convert", path("converted32.ico"), path("std32.bmp")}).status, 0);
    QCOMPARE(readFileBytes(path("packed32.ico")), readFileBytes(path("converted32.ico")));
}

void CommandLinePackTest::replaceKeepsTheOtherImages_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("at");  // the image it becomes
    QTest::newRow("same size and depth") << path("other32.png") << 1;
    QTest::newRow("new size joins") << path("deep48.png") << 3;
    QTest::newRow("same size, other depth joins") << path("std32.bmp") << 3;
    QTest::newRow("PNG image of 256") << path("any256.png") << 2;
    QTest::newRow("PNG of 256 with bytes after its data") << path("trailing256.png") << 2;
}

void CommandLinePackTest::replaceKeepsTheOtherImages()
{
    QFETCH(QString, picture);
    QFETCH(int, at);
    const QString icon = path("replaced.ico");
    QFile::remove(icon);
    QCOMPARE(runTool({"--pack", icon, path("std16.png"), path("soft32.png"), path("unsound256.png")}).status, 0);
    const Bytes before = readFileBytes(icon);
    const std::vector<RgbaImage> earlier = icotoolImages(icon, path("replaced-before"));
    const Run run = runTool({"--replace", icon, picture});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);

    const std::vector<Bytes> kept = iconEntryData(before), now = iconEntryData(readFileBytes(icon));
    const std::vector<RgbaImage> images =
        icotoolImages(icon, path(QStringLiteral("replaced-%1").arg(QTest::currentDataTag())));
    QCOMPARE(now.size(), std::max(kept.size(), std::size_t(at) + 1));
    QCOMPARE(images.size(), now.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
        QVERIFY(i == std::size_t(at) ? images[i] == expectedPicture(picture) : images[i] == earlier[i]);
        if (i != std::size_t(at))
            QVERIFY(now[i] == kept[i]);
        // A PNG of 256 pixels that shows as read goes in as it is, any other is encoded afresh.
        else if (picture.endsWith(u"256.png"))
            QCOMPARE(now[i] == readFileBytes(picture), picture.endsWith(u"any256.png"));
    }
}

void CommandLinePackTest::unpackedImagesMatchIcotool_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("names");
    const QString data = QStringLiteral(PIMOKO_TEST_DATA_DIR "/");
    QTest::newRow("two of a name") << data + "icons/two32.ico"
                                   << QStringList{"two32-32x32-4-2.png", "two32-32x32-4.png"};
    QTest::newRow("bitmaps and PNG") << data + "icons/mixed_png.ico" << QStringList{};
    QTest::newRow("program") << data + "pe/pe64_icon.exe"
                             << QStringList{"pe64_icon-16x16-4.png", "pe64_icon-32x32-32.png", "pe64_icon-32x32-8.png"};
}

void CommandLinePackTest::unpackedImagesMatchIcotool()
{
    QFETCH(QString, input);
    QFETCH(QStringList, names);
    const QString folder = path(QStringLiteral("unpacked-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    // Replacing the files, as --force does, writes the same.
    for (const QStringList& force : {QStringList{}, QStringList{"--force"}}) {
        const Run run = runTool(QStringList{"--unpack", folder} + force + QStringList{input});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
    }
    QStringList written;
    const std::vector<RgbaImage> ours = pngFilesIn(folder, &written);
    if (!names.isEmpty())
        QCOMPARE(written, names);
    std::vector<RgbaImage> theirs = icotoolImages(input, folder + "/icotool");
    QCOMPARE(ours.size(), theirs.size());
    for (const RgbaImage& image : ours) {
        const auto same = std::find(theirs.begin(), theirs.end(), image);
        QVERIFY(same != theirs.end());
        theirs.erase(same);
    }
}

void CommandLinePackTest::refusalsWriteNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString out = path("out/refused.ico");
    const QString cur = path("out/refused.cur");
    const QString png16 = path("std16.png");
    // One of the packer's refusals (its own test has them all).
    QTest::newRow("same size and depth") << QStringList{"--pack", out, png16, png16} << 1
                                         << "2 番目の画像は大きさ（16 x 16）も色の深さ（4 ビット）も同じです";
    QTest::newRow("257 wide") << QStringList{"--pack", out, QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/wide257.png")}
                              << 1 << QStringLiteral("PNGイメージが大きすぎます（257 x 1、256 x 256 まで）");
    QTest::newRow("PNG file too large") << QStringList{"--pack", out, path("huge.png")} << 1
                                        << "pimoko: " + path("huge.png") + ": ファイルが大きすぎます\n";
    QTest::newRow("kind not read") << QStringList{"--pack", out, path("picture.gif")} << 1 << ".png files";
    QTest::newRow("hot spot in an icon") << QStringList{"--pack", out, "--hotspot", "1,1", png16} << 2
                                         << "--hotspot goes with a .cur output";
    QTest::newRow("hot spot of one number") << QStringList{"--pack", cur, "--hotspot", "1", png16} << 2
                                            << "--hotspot takes X,Y";
    QTest::newRow("scale of an icon") << QStringList{"--convert", out, "--scale", "2", path("std32.bmp")} << 2
                                      << "--scale goes with a .png output";
    QTest::newRow("scale 17") << QStringList{"--convert", path("out/big.png"), "--scale", "17", path("std32.bmp")}
                              << 2 << "--scale takes a whole number from 1 to 16";
    QTest::newRow("damaged PNG image to unpack") << QStringList{"--unpack", path("out"), path("damaged.ico")} << 1
                                                 << "pimoko: " + path("damaged.ico") + ": アイコンイメージが不正です\n";
    QTest::newRow("PNG of 256 whose data do not inflate") << QStringList{"--pack", out, path("unzipped256.png")} << 1
                                                          << "PNGイメージが不正です";
    QTest::newRow("replace in a damaged icon") << QStringList{"--replace", path("damaged.ico"), png16} << 1
                                               << "pimoko: " + path("damaged.ico") + ": アイコンイメージが不正です\n";
    QTest::newRow("replace in no icon") << QStringList{"--replace", path("out/none.ico"), png16} << 1
                                        << "ファイルまたはフォルダが見つかりません";
    QTest::newRow("replace adding one image too many") << QStringList{"--replace", path("many.ico"), png16} << 1
                                                       << "一つのアイコンに入れられる画像は 64 枚までです（65 枚になります）";
    QTest::newRow("replace in a PNG") << QStringList{"--replace", path("out/x.png"), png16} << 2
                                      << "the icon file's name must end in .ico";
    QTest::newRow("list of no PNG") << QStringList{"--list", path("odd.png")} << 1
                                    << "pimoko: " + path("odd.png") + ": PNGイメージが不正です\n";
    QTest::newRow("unpack into no folder") << QStringList{"--unpack", "", path("std32.bmp")} << 2
                                           << "the folder's name is empty";
    QTest::newRow("unpack over a file")
        << QStringList{"--unpack", path("out"), QStringLiteral(PIMOKO_TEST_DATA_DIR "/icons/depth4_16_32.ico")} << 3
        << "pimoko: " + path("out/depth4_16_32-32x32-4.png")
               + ": ファイルは既に存在します (nothing written; --force replaces existing files)\n";
}

void CommandLinePackTest::refusalsWriteNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    // One of the names --unpack would write is taken.
    QDir(path("out")).removeRecursively();
    QVERIFY(QDir().mkpath(path("out")));
    QFile taken(path("out/depth4_16_32-32x32-4.png"));
    QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("kept") == 4);
    taken.close();
    const Run run = runTool(arguments);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.status, status);
    QCOMPARE(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"depth4_16_32-32x32-4.png"});
    QCOMPARE(readFileBytes(taken.fileName()), Bytes({'k', 'e', 'p', 't'}));
}

void CommandLinePackTest::pngConversionShowsThePicture_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("scale");
    QTest::newRow("as it is") << path("std32.bmp") << 0;
    QTest::newRow("each pixel 3 x 3") << path("odd.bmp") << 3;
    QTest::newRow("each pixel 16 x 16") << path("std32.bmp") << 16;
}

void CommandLinePackTest::pngConversionShowsThePicture()
{
    QFETCH(QString, input);
    QFETCH(int, scale);
    const QStringList option = scale ? QStringList{"--scale", QString::number(scale)} : QStringList{};
    QCOMPARE(runTool(QStringList{"--convert", path("shown.png")} + option + QStringList{input}).status, 0);
    const QImage shown(path("shown.png"));
    QVERIFY(!shown.hasAlphaChannel());
    const QImage picture(input);
    const int factor = std::max(scale, 1);
    QCOMPARE(rgbaImageOf(shown), rgbaImageOf(picture.scaled(picture.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void CommandLinePackTest::listShowsAPngFile()
{
    const QString file = QStringLiteral(PIMOKO_TEST_DATA_DIR "/png/rgba16.png");
    const Run run = runTool({"--list", file});
    QCOMPARE(run.out, QStringLiteral("   0    5 x 3        — colours  64 bits  PNG     %1 bytes\n").arg(QFileInfo(file).size(), 7));
    QCOMPARE(run.status, 0);
}

QTEST_MAIN(CommandLinePackTest)
#include "tst_command_line_pack.moc"
