// PNG files read with every colour type and depth as Qt reads them, refused
// when damaged or too large, and written so that both read them back.
#include "files/codec/file_error.h"
#include "files/codec/png_chunks.h"
#include "files/codec/png_file.h"
#include "support/file_bytes.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <zlib.h>

#include <fstream>
#include <string>

using namespace pimoko;

namespace {

Rgba rgbaOf(QRgb q)
{
    return {std::uint8_t(qRed(q)), std::uint8_t(qGreen(q)), std::uint8_t(qBlue(q)), std::uint8_t(qAlpha(q))};
}

// Changes a byte of the header and keeps its CRC valid, so that the field
// and not the checksum is what gets refused.
Bytes withHeaderByte(Bytes file, std::size_t at, std::uint8_t value)
{
    file[at] = value;
    const auto crc = std::uint32_t(crc32(0, file.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        file[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
    return file;
}

// A file's chunks, name and data, in order; and a file made of chunks.
using Chunks = std::vector<std::pair<std::string, Bytes>>;

Chunks chunksOf(const Bytes& file)
{
    Chunks chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t length = std::size_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        chunks.emplace_back(std::string(file.begin() + long(at) + 4, file.begin() + long(at) + 8),
                            Bytes(file.begin() + long(at) + 8, file.begin() + long(at + 8 + length)));
        at += 12 + length;
    }
    return chunks;
}

Bytes fileOf(const Chunks& chunks)
{
    Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& [name, data] : chunks) {
        Bytes named(name.begin(), name.end());
        named.insert(named.end(), data.begin(), data.end());
        for (int i = 3; i >= 0; --i)
            file.push_back(std::uint8_t(data.size() >> (8 * i)));
        file.insert(file.end(), named.begin(), named.end());
        const auto crc = std::uint32_t(crc32(0, named.data(), uInt(named.size())));
        for (int i = 3; i >= 0; --i)
            file.push_back(std::uint8_t(crc >> (8 * i)));
    }
    return file;
}

// A text chunk of the given kind ("zTXt", or "iTXt" compressed) whose text,
// 32,000 bytes of one letter, deflates to 48 bytes.
std::pair<std::string, Bytes> textChunk(const std::string& name)
{
    const Bytes text(32'000, 'a');
    uLongf size = compressBound(uLong(text.size()));
    Bytes deflated(size);
    compress2(deflated.data(), &size, text.data(), uLong(text.size()), 9);
    Bytes data{'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    const Bytes fields = name == "zTXt" ? Bytes{0} : Bytes{1, 0, 0, 0};  // iTXt: flag, method, language, keyword
    data.insert(data.end(), fields.begin(), fields.end());
    data.insert(data.end(), deflated.begin(), deflated.begin() + long(size));
    return {name, data};
}

// The kernel's high-water mark of the process's resident memory, in KiB,
// and setting it back to the memory resident now, so that each row's peak
// is its own.
long peakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

bool resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5" << std::flush;
    return bool(clear);
}

// What a reading gives: the size, or the refusal's text.
template <typename Read>
QString outcome(Read read)
{
    try {
        const auto [width, height] = read();
        return QStringLiteral("%1 x %2").arg(width).arg(height);
    } catch (const FileError& error) {
        return QString::fromUtf8(error.what());
    }
}

} // namespace

class TestPngFile : public QObject {
    Q_OBJECT
private slots:
    // A 5 x 3 RGBA picture's image data, made by zlib and damaged in one way.
    void imageDataInflateToThePicture_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("inflates");
        QTest::newRow("whole") << "" << true;
        QTest::newRow("split in three chunks") << "split" << true;
        QTest::newRow("a row short") << "short" << false;
        QTest::newRow("a row more") << "more" << false;
        QTest::newRow("filter 5") << "filter" << false;
        QTest::newRow("data after its end") << "after" << false;
        QTest::newRow("a compressed byte changed") << "flip" << false;
    }
    void imageDataInflateToThePicture()
    {
        QFETCH(QString, change);
        QFETCH(bool, inflates);
        const int rows = change == "short" ? 2 : change == "more" ? 4 : 3;
        Bytes raw;
        for (int y = 0; y < rows; ++y) {
            raw.push_back(change == "filter" && y == 1 ? 5 : std::uint8_t(y));
            for (int i = 0; i < 20; ++i)
                raw.push_back(std::uint8_t(i * 13 + y));
        }
        uLongf size = compressBound(uLong(raw.size()));
        Bytes stream(size);
        QCOMPARE(compress2(stream.data(), &size, raw.data(), uLong(raw.size()), 6), Z_OK);
        stream.resize(size);
        if (change == "flip")
            stream[size / 2] ^= 0x10;
        Chunks chunks{{"IHDR", {0, 0, 0, 5, 0, 0, 0, 3, 8, 6, 0, 0, 0}}};
        const std::size_t third = change == "split" ? size / 3 : size;
        for (std::size_t at = 0; at < size; at += third)
            chunks.emplace_back("IDAT", Bytes(stream.begin() + long(at), stream.begin() + long(std::min(size, at + third))));
        if (change == "after")
            chunks.emplace_back("IDAT", Bytes{1, 2, 3});
        chunks.emplace_back("IEND", Bytes{});
        const Bytes file = fileOf(chunks);
        QCOMPARE(inflatesToPixelsAsRead(file, 256), inflates);
        // What passes, libpng reads.
        if (inflates)
            QCOMPARE(readPngFile(file, 256).width(), 5);
    }

    void readsEveryColourTypeAndDepth_data()
    {
        QTest::addColumn<QString>("name");
        const QDir folder(QStringLiteral(PIMOKO_TEST_DATA_DIR "/png"));
        // Qt 6.4 shifts the channels of 16-bit RGB with a tRNS colour:
        // sixteenBitColourKey checks that file by hand.
        for (const QString& name : folder.entryList({"*.png"}, QDir::Files, QDir::Name))
            if (name != "rgb16_trns.png")
                QTest::newRow(qPrintable(name)) << name;
    }
    void readsEveryColourTypeAndDepth()
    {
        QFETCH(QString, name);
        const Bytes file = readDataFile("png/" + name);
        const RgbaImage ours = readPngFile(file, 9);
        const QImage qt = QImage::fromData(file.data(), int(file.size())).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(QSize(ours.width(), ours.height()), qt.size());
        for (int y = 0; y < qt.height(); ++y)
            for (int x = 0; x < qt.width(); ++x) {
                Rgba want = rgbaOf(qt.pixel(x, y));
                if (want.a == 0)  // Qt drops the colour of transparent pixels
                    want = {ours.pixel(x, y).r, ours.pixel(x, y).g, ours.pixel(x, y).b, 0};
                QVERIFY2(ours.pixel(x, y) == want,
                         qPrintable(QStringLiteral("(%1, %2): Qt reads %3").arg(x).arg(y).arg(qt.pixel(x, y), 8, 16)));
            }
    }

    // Samples (0, 51469, 37402) and the key (725, 52194, 38127), each
    // divided by 257 and rounded.
    void sixteenBitColourKey()
    {
        const RgbaImage image = readPngFile(readDataFile("png/rgb16_trns.png"), 5);
        QCOMPARE(image.pixel(0, 0), (Rgba{0, 200, 146, 255}));
        QCOMPARE(image.pixel(1, 0), (Rgba{3, 203, 148, 0}));
    }

    // What libpng's reader gives, a size or a refusal, within 16 MiB, and
    // what the chunk check gives without decoding: the same, except that it
    // refuses damaged bytes libpng reads on (passed on as they are, they
    // must be sound).
    void readerAndChunkCheck_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<int>("maxSide");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("checked");
        for (const QString& name : QDir(PIMOKO_TEST_DATA_DIR "/png").entryList({"*.png"}, QDir::Files)) {
            const QSize size = QImage(PIMOKO_TEST_DATA_DIR "/png/" + name).size();
            const QString shown = QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
            QTest::newRow(qPrintable(name)) << readDataFile("png/" + name) << 9 << shown << shown;
        }
        const Bytes good = readDataFile("png/rgba8.png");  // 5 x 3
        const QString invalid = kInvalidPngText;
        const auto refused = [&](const char* name, const Bytes& file, int maxSide = 256, QString text = {}) {
            text = text.isEmpty() ? invalid : text;
            QTest::newRow(name) << file << maxSide << text << text;
        };
        refused("empty", {});
        refused("bitmap", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0});
        refused("signature only", Bytes(good.begin(), good.begin() + 8));
        refused("cut in the pixels", Bytes(good.begin(), good.end() - 20));
        Bytes badCrc = good;
        badCrc[29] ^= 0xFF;
        refused("header CRC", badCrc);
        refused("width 0", withHeaderByte(good, 19, 0));
        refused("wider than the cap", good, 4, "PNGイメージが大きすぎます（5 x 3、4 x 4 まで）");
        refused("taller than the cap", withHeaderByte(good, 23, 9), 8, "PNGイメージが大きすぎます（5 x 9、8 x 8 まで）");
        // 43 bytes whose sPLT chunk states 1.5 GB: libpng asks for all of it.
        refused("chunk stating gigabytes", readDataFile("png/damaged/huge_chunk.png"));
        refused("huge, judged before any pixel", withHeaderByte(good, 16, 0x10), 256,
                "PNGイメージが大きすぎます（268435461 x 3、256 x 256 まで）");
        refused("depth 4 for RGBA", withHeaderByte(good, 24, 4));
        refused("compression method 1", withHeaderByte(good, 26, 1));
        Bytes flipped = good;
        flipped[good.size() - 20] ^= 0x01;
        refused("image data flipped", flipped);
        QTest::newRow("bytes after the end") << [&] { Bytes b = good; b.push_back(0); return b; }() << 256 << "5 x 3"
                                             << "5 x 3";
        const Chunks chunks = chunksOf(good);  // IHDR, IDAT, IEND
        refused("unknown critical chunk", fileOf({chunks[0], {"ABCD", {1}}, chunks[1], chunks[2]}));
        refused("no image data", fileOf({chunks[0], chunks[2]}));
        refused("a second header", fileOf({chunks[0], chunks[0], chunks[1], chunks[2]}));
        const Bytes& data = chunks[1].second;
        const std::pair<std::string, Bytes> half1{"IDAT", Bytes(data.begin(), data.begin() + 8)};
        const std::pair<std::string, Bytes> half2{"IDAT", Bytes(data.begin() + 8, data.end())};
        QTest::newRow("image data in two") << fileOf({chunks[0], half1, half2, chunks[2]}) << 256 << "5 x 3" << "5 x 3";
        refused("image data split", fileOf({chunks[0], half1, {"tEXt", {'a', 0}}, half2, chunks[2]}));
        Chunks noPalette = chunksOf(readDataFile("png/palette4_alpha.png"));
        std::erase_if(noPalette, [](const auto& chunk) { return chunk.first == "PLTE"; });
        refused("palette image without palette", fileOf(noPalette));
        Bytes text = fileOf({chunks[0], {"tEXt", {'a', 0, 'b'}}, chunks[1], chunks[2]});
        text[41] ^= 0x01;
        QTest::newRow("text chunk flipped") << text << 256 << "5 x 3" << invalid;
        // 130 KB of text chunks that inflate to 64 MB, each small enough
        // for any cap on one chunk.
        for (const char* name : {"zTXt", "iTXt"}) {
            Chunks texts{chunks[0]};
            texts.insert(texts.end(), 2000, textChunk(name));
            texts.insert(texts.end(), {chunks[1], chunks[2]});
            QTest::newRow(qPrintable(QStringLiteral("2000 %1 chunks of 32,000 letters").arg(name)))
                << fileOf(texts) << 256 << "5 x 3" << "5 x 3";
        }
    }
    void readerAndChunkCheck()
    {
        QFETCH(Bytes, file);
        QFETCH(int, maxSide);
        QFETCH(QString, read);
        QFETCH(QString, checked);
        QVERIFY2(resetPeakMemory(), "the peak memory cannot be set back");
        const long before = peakMemoryKiB();
        QCOMPARE(outcome([&] {
                     const RgbaImage image = readPngFile(file, maxSide);
                     return std::pair(image.width(), image.height());
                 }),
                 read);
        QVERIFY2(peakMemoryKiB() - before < 16 * 1024, "took more than 16 MiB");
        QCOMPARE(outcome([&] {
                     const PngSize size = checkPngChunks(file, maxSide);
                     return std::pair(size.width, size.height);
                 }),
                 checked);
    }

    void writtenFilesReadBack_data()
    {
        QTest::addColumn<PngChannels>("channels");
        QTest::newRow("rgba") << PngChannels::Rgba;
        QTest::newRow("rgb") << PngChannels::Rgb;
    }
    void writtenFilesReadBack()
    {
        QFETCH(PngChannels, channels);
        RgbaImage image(7, 3);
        for (int i = 0; i < 21; ++i)
            image.setPixel(i % 7, i / 7, {std::uint8_t(i * 12), std::uint8_t(i * 97), std::uint8_t(255 - i), std::uint8_t(i * 40)});
        const Bytes file = pngFileBytes(image, channels);
        const RgbaImage ours = readPngFile(file, 7);
        const QImage qt = QImage::fromData(file.data(), int(file.size()), "PNG").convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                Rgba want = image.pixel(x, y);
                want.a = channels == PngChannels::Rgba ? want.a : 255;
                QCOMPARE(ours.pixel(x, y), want);
                QCOMPARE(rgbaOf(qt.pixel(x, y)), want);
            }
    }
};

QTEST_APPLESS_MAIN(TestPngFile)
#include "tst_png_file.moc"
