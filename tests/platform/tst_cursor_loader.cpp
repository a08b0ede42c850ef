#include "platform/cursor_loader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdint>
#include <future>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pimoko;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A 2 x 2 cursor of 24 bits with hot spot (1, 1), top row first:
//   red opaque        | transparent (AND 1, XOR black)
//   inverting (AND 1, XOR white) | blue opaque
Bytes twoByTwoCursor(int type = kCursorFileType, int hotX = 1, int hotY = 1)
{
    return Bytes{
        0x00, 0x00, std::uint8_t(type), 0x00, 0x01, 0x00,
        0x02, 0x02, 0x00, 0x00, std::uint8_t(hotX), 0x00, std::uint8_t(hotY), 0x00,
        0x40, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00,
        // info header: 40 bytes, 2 x (2 * 2), 1 plane, 24 bits, uncompressed
        0x28, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        // XOR rows (B, G, R), bottom row first, padded to 8 bytes: white, blue; then red, black
        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
        // AND rows, bottom row first: 10, then 01
        0x80, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
    };
}

QByteArray toByteArray(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace

class TestCursorLoader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void validCursorKeepsHotspotAndTransparency()
    {
        const auto cursor = loadCursorFile(write(QStringLiteral("valid.cur"), toByteArray(twoByTwoCursor())));
        QVERIFY(cursor.has_value());
        QCOMPARE(cursor->hotSpot(), QPoint(1, 1));
        const QImage image = cursor->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(2, 2));
        QCOMPARE(image.pixel(0, 0), qRgba(255, 0, 0, 255));
        QCOMPARE(qAlpha(image.pixel(1, 0)), 0);
        QCOMPARE(image.pixel(0, 1), qRgba(0, 0, 0, 255));  // inverting pixels show black
        QCOMPARE(image.pixel(1, 1), qRgba(0, 0, 255, 255));
    }

    void iconLayoutGivesHotspotAtOrigin()
    {
        const auto cursor = cursorFromBytes(twoByTwoCursor(kIconFileType, 1, 24));
        QVERIFY(cursor.has_value());
        QCOMPARE(cursor->hotSpot(), QPoint(0, 0));
    }

    void hotspotBeyondTheImageIsClamped()
    {
        const auto cursor = cursorFromBytes(twoByTwoCursor(kCursorFileType, 9, 200));
        QVERIFY(cursor.has_value());
        QCOMPARE(cursor->hotSpot(), QPoint(1, 1));
    }

    void alphaDecidesWhenPresent()
    {
        IconImage image;
        image.width = 2;
        image.height = 1;
        image.colors = {rgb(10, 20, 30), kBlack};
        image.andMask = {1, 0};
        image.alpha = {128, 0};
        const QImage picture = cursorImage(image);
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 128);
        QCOMPARE(qAlpha(picture.pixel(1, 0)), 0);
    }

    void unusableFilesGiveNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray valid = toByteArray(twoByTwoCursor());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only") << valid.left(6);
        QTest::newRow("cut in the directory") << valid.left(15);
        QTest::newRow("cut in the pixels") << valid.left(valid.size() - 10);
        QTest::newRow("garbage") << QByteArray("this is not a cursor file at all, just text\n");
        QTest::newRow("type 0") << toByteArray(twoByTwoCursor(0));
        QTest::newRow("type 3") << toByteArray(twoByTwoCursor(3));
        QTest::newRow("count 0") << QByteArray("\x00\x00\x02\x00\x00\x00", 6);
    }
    void unusableFilesGiveNothing()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!loadCursorFile(write(QStringLiteral("bad.cur"), bytes)).has_value());
    }

    void missingFileGivesNothing()
    {
        QVERIFY(!loadCursorFile(dir_.filePath(QStringLiteral("no such file.cur"))).has_value());
        QVERIFY(!loadCursorFile(QString()).has_value());
    }

    // Never waited on: a pipe whose writer never comes would hang start-up.
    // A read that waits is released after a while by opening the writer, so
    // that the test fails instead of hanging.
    void specialFilesGiveNothingAtOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("pipe") << "pipe.cur";
        QTest::newRow("folder") << "folder.cur";
        QTest::newRow("device") << "zero.cur";
    }
    void specialFilesGiveNothingAtOnce()
    {
        QFETCH(QString, name);
        const QString path = dir_.filePath(name);
        const QByteArray local = QFile::encodeName(path);
        QVERIFY(name != "pipe.cur" || ::mkfifo(local.constData(), 0644) == 0);
        QVERIFY(name != "folder.cur" || QDir().mkdir(path));
        QVERIFY(name != "zero.cur" || QFile::link(QStringLiteral("/dev/zero"), path));
        auto load = std::async(std::launch::async, [&] { return loadCursorFile(path).has_value(); });
        const bool waited = load.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
        if (waited)
            ::close(::open(local.constData(), O_WRONLY | O_NONBLOCK));
        QVERIFY(!load.get());
        QVERIFY(!waited);
    }

    // A tool cursor that is not a regular file is passed over as a missing
    // one is: the program's own folder's file is taken instead.
    void toolCursorFilesMustBeRegularFiles()
    {
        const QString working = dir_.filePath(QStringLiteral("working"));
        const QString program = dir_.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(working) && QDir().mkpath(program));
        QVERIFY(::mkfifo(QFile::encodeName(working + QStringLiteral("/pen.cur")).constData(), 0644) == 0);
        QVERIFY(QDir().mkdir(working + QStringLiteral("/line.cur")));
        write(QStringLiteral("program/pen.cur"), toByteArray(twoByTwoCursor()));
        write(QStringLiteral("program/line.cur"), toByteArray(twoByTwoCursor()));
        const QString before = QDir::currentPath();
        QDir::setCurrent(working);
        const QString pen = findToolCursorFile(QStringLiteral("pen.cur"), program);
        const QString line = findToolCursorFile(QStringLiteral("line.cur"), program);
        QDir::setCurrent(before);
        QCOMPARE(pen, program + QStringLiteral("/pen.cur"));
        QCOMPARE(line, program + QStringLiteral("/line.cur"));
    }

    void shippedPenCursorLoads()
    {
        const auto cursor = loadCursorFile(QStringLiteral(PIMOKO_SOURCE_DIR "/resources/cursors/pen.cur"));
        QVERIFY(cursor.has_value());
        QCOMPARE(cursor->pixmap().size(), QSize(32, 32));
        QCOMPARE(cursor->hotSpot(), QPoint(1, 30));
        const QImage image = cursor->pixmap().toImage();
        QCOMPARE(qAlpha(image.pixel(31, 31)), 0);
        QCOMPARE(qAlpha(image.pixel(1, 30)), 255);
    }
};

QTEST_MAIN(TestCursorLoader)
#include "tst_cursor_loader.moc"
