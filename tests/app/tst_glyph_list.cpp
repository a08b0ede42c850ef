#include "app/glyph_list.h"
#include "platform/xpm_image.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QString>
#include <QTest>

namespace {

QString glyphPath(int index)
{
    return QStringLiteral("glyph %1").arg(index);
}

QImage loadGlyph(int index)
{
    return pimoko::glyphPixmap(index).toImage().convertToFormat(QImage::Format_ARGB32);
}

int countPixels(const QImage& image, auto predicate)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += predicate(image.pixel(x, y)) ? 1 : 0;
    return count;
}

bool isOpaque(QRgb p) { return qAlpha(p) == 255; }
bool isClear(QRgb p) { return qAlpha(p) == 0; }

constexpr int kGlyphCount = 26;

} // namespace

class TestGlyphResources : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(pimoko::glyphPixmap(-1).isNull());
        QVERIFY(pimoko::glyphPixmap(pimoko::GlyphCount).isNull());
    }

    void everyGlyphIsASixteenSquareWithAMask_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < kGlyphCount; ++i)
            QTest::addRow("glyph %d", i) << i;
    }
    void everyGlyphIsASixteenSquareWithAMask()
    {
        QFETCH(int, index);
        const QImage glyph = loadGlyph(index);
        QVERIFY2(!glyph.isNull(), qPrintable(glyphPath(index)));
        QCOMPARE(glyph.size(), QSize(16, 16));
        // Fully see-through or fully drawn: no half-transparent edges.
        QCOMPARE(countPixels(glyph, [](QRgb p) { return isClear(p) || isOpaque(p); }), 256);
        QVERIFY(countPixels(glyph, isClear) >= 16);
        QVERIFY(countPixels(glyph, isOpaque) >= 10);
    }

    void noTwoGlyphsAreTheSame()
    {
        QSet<QByteArray> seen;
        for (int i = 0; i < kGlyphCount; ++i) {
            const QImage glyph = loadGlyph(i);
            const QByteArray bytes(reinterpret_cast<const char*>(glyph.constBits()), glyph.sizeInBytes());
            QVERIFY2(!seen.contains(bytes), qPrintable(glyphPath(i)));
            seen.insert(bytes);
        }
    }

    // A colour each coloured glyph is drawn with, so that a glyph put under
    // the wrong number shows up.
    void colouredGlyphsShowTheirColour_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("open: yellow folder") << 1 << qRgb(0xFF, 0xFF, 0x00);
        QTest::newRow("rescue: red cross") << 4 << qRgb(0xFF, 0x00, 0x00);
        QTest::newRow("cursor: dark-blue arrow") << 5 << qRgb(0x00, 0x00, 0x80);
        QTest::newRow("fill: cyan paint") << 9 << qRgb(0x00, 0xFF, 0xFF);
        QTest::newRow("pen: orange pencil") << 10 << qRgb(0xFF, 0x99, 0x00);
        QTest::newRow("picker: brown bulb") << 13 << qRgb(0x99, 0x55, 0x22);
        QTest::newRow("mirror: red arrow") << 23 << qRgb(0xFF, 0x00, 0x00);
        QTest::newRow("flip: red arrow") << 24 << qRgb(0xFF, 0x00, 0x00);
        QTest::newRow("rotate: red arrows") << 25 << qRgb(0xFF, 0x00, 0x00);
    }
    void colouredGlyphsShowTheirColour()
    {
        QFETCH(int, index);
        QFETCH(QRgb, colour);
        const QImage glyph = loadGlyph(index);
        QVERIFY(countPixels(glyph, [colour](QRgb p) { return isOpaque(p) && (p & 0xFFFFFF) == (colour & 0xFFFFFF); }) > 0);
    }

    // Shape glyphs: outlines are hollow in the middle, filled shapes are black there.
    void shapeGlyphsAreHollowOrFilled_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("filled");
        QTest::newRow("ellipse outline") << 6 << false;
        QTest::newRow("square outline") << 11 << false;
        QTest::newRow("dashed rectangle") << 12 << false;
        QTest::newRow("filled square") << 18 << true;
        QTest::newRow("filled ellipse") << 19 << true;
        QTest::newRow("rounded-square outline") << 20 << false;
        QTest::newRow("filled rounded square") << 21 << true;
    }
    void shapeGlyphsAreHollowOrFilled()
    {
        QFETCH(int, index);
        QFETCH(bool, filled);
        const QImage glyph = loadGlyph(index);
        for (int y = 7; y <= 8; ++y) {
            for (int x = 7; x <= 8; ++x) {
                const QRgb p = glyph.pixel(x, y);
                if (filled)
                    QCOMPARE(p, qRgba(0, 0, 0, 255));
                else
                    QVERIFY(isClear(p));
            }
        }
    }

    // The pictures are read by a reader of their own plain kind of XPM:
    // each must be exactly what Qt's own XPM reader makes of its file.
    void picturesMatchQtsXpmReader_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("file");
        for (int i = 0; i < kGlyphCount; ++i)
            QTest::addRow("glyph %d", i) << i << QStringLiteral("glyphs/glyph_%1.xpm").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow("program picture") << -1 << QStringLiteral("program_icon.xpm");
    }
    void picturesMatchQtsXpmReader()
    {
        QFETCH(int, index);
        QFETCH(QString, file);
        const QImage qts(QStringLiteral(PIMOKO_SOURCE_DIR "/resources/") + file, "XPM");
        QVERIFY(!qts.isNull());
        const QPixmap ours = index < 0 ? pimoko::programPicture() : pimoko::glyphPixmap(index);
        QCOMPARE(ours.toImage().convertToFormat(QImage::Format_ARGB32), qts.convertToFormat(QImage::Format_ARGB32));
    }

    // What the plain reader does not know is left to Qt's reader.
    void otherXpmIsLeftToQt_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("colour by name") << QList<QByteArray>{"1 1 1 1", "a c red", "a"};
        QTest::newRow("short row") << QList<QByteArray>{"2 1 1 1", "a c #000000", "a"};
        QTest::newRow("pixel of no colour") << QList<QByteArray>{"1 1 1 1", "a c #000000", "b"};
        QTest::newRow("rows missing") << QList<QByteArray>{"1 2 1 1", "a c #000000", "a"};
    }
    void otherXpmIsLeftToQt()
    {
        QFETCH(QList<QByteArray>, lines);
        std::vector<const char*> xpm;
        for (const QByteArray& line : lines)
            xpm.push_back(line.constData());
        xpm.push_back(nullptr);
        QVERIFY(pimoko::plainXpmImage(xpm.data()).isNull());
    }

    void programPictureLoads()
    {
        const QImage picture = pimoko::programPicture().toImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), QSize(32, 32));
        QVERIFY(countPixels(picture, isClear) > 100);
        QVERIFY(countPixels(picture, isOpaque) > 300);
        // The about box shows pure black as see-through, so the picture draws
        // its outlines in a near-black instead.
        QCOMPARE(countPixels(picture, [](QRgb p) { return isOpaque(p) && (p & 0xFFFFFF) == 0; }), 0);
    }
};

QTEST_MAIN(TestGlyphResources)
#include "tst_glyph_list.moc"
