#include "document/print_page.h"
#include "files/model/print_geometry.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace pimoko;

namespace {

QColor qColor(Color c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

// A 4 x 3 image without white, so that every block shows on the paper.
PixelBuffer sampleImage()
{
    const Color colours[12] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000, 0x808080, 0x00FFFF,
                               0xFFFF00, 0xFF00FF, 0x996633, 0x000080, 0x008000, 0x800000};
    PixelBuffer image(4, 3);
    for (int i = 0; i < 12; ++i)
        image.setPixel(i % 4, i / 4, colours[i]);
    return image;
}

} // namespace

// The printed page: how many dots an image pixel becomes, and a PDF printed
// through QPrinter and turned back into pixels, checked block by block.
class PrintPageTest : public QObject {
    Q_OBJECT
private slots:
    void factorsAndBlocks_data();
    void factorsAndBlocks();
    void printedPdf_data();
    void printedPdf();
};

void PrintPageTest::factorsAndBlocks_data()
{
    QTest::addColumn<int>("printerDpiX");
    QTest::addColumn<int>("printerDpiY");
    QTest::addColumn<int>("screenDpi");
    QTest::addColumn<int>("imageSide");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<QSize>("printSize");  // in printer dots
    QTest::newRow("600 dpi, 96 dpi screen") << 600 << 600 << 96 << 32 << 6 << 6 << QSize(1152, 1152);
    QTest::newRow("600 dpi, 120 dpi screen") << 600 << 600 << 120 << 32 << 5 << 5 << QSize(960, 960);
    QTest::newRow("360 dpi truncates to 3") << 360 << 360 << 96 << 32 << 3 << 3 << QSize(576, 576);
    QTest::newRow("600 x 1200 dpi stays square on paper") << 600 << 1200 << 96 << 32 << 6 << 12 << QSize(1152, 2304);
    QTest::newRow("16 x 16 at half the size") << 600 << 600 << 96 << 16 << 6 << 6 << QSize(576, 576);
    QTest::newRow("64 x 64 at twice the size") << 600 << 600 << 96 << 64 << 6 << 6 << QSize(2304, 2304);
    QTest::newRow("72 dpi below the screen: blank") << 72 << 72 << 96 << 32 << 0 << 0 << QSize();
    QTest::newRow("no screen resolution: blank") << 600 << 600 << 0 << 32 << 0 << 0 << QSize();
}

void PrintPageTest::factorsAndBlocks()
{
    QFETCH(int, printerDpiX);
    QFETCH(int, printerDpiY);
    QFETCH(int, screenDpi);
    QFETCH(int, imageSide);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    QFETCH(QSize, printSize);
    const PrintFactors factors = printFactors(printerDpiX, printerDpiY, screenDpi);
    QCOMPARE(factors, (PrintFactors{horizontal, vertical}));

    PixelBuffer image(imageSide, imageSide, 0x00FF00);
    image.setPixel(imageSide - 1, 0, 0x0000FF);
    const std::vector<PrintBlock> blocks = printBlocks(image, factors);
    if (!printSize.isValid()) {
        QVERIFY(blocks.empty());
        return;
    }
    QCOMPARE(int(blocks.size()), imageSide * imageSide);
    const int w = 6 * horizontal;
    const int h = 6 * vertical;
    QCOMPARE(blocks.front(), (PrintBlock{0, 0, w, h, 0x00FF00}));
    QCOMPARE(blocks[std::size_t(imageSide - 1)], (PrintBlock{printSize.width() - w, 0, w, h, 0x0000FF}));
    QCOMPARE(blocks.back(), (PrintBlock{printSize.width() - w, printSize.height() - h, w, h, 0x00FF00}));
}

void PrintPageTest::printedPdf_data()
{
    QTest::addColumn<int>("resolution");
    QTest::addColumn<int>("screenDpi");
    QTest::addColumn<int>("block");  // dots per image pixel
    QTest::newRow("96 dpi: 6 dots") << 96 << 96 << 6;
    QTest::newRow("200 dpi: factor 2") << 200 << 96 << 12;
    QTest::newRow("300 dpi: factor 3") << 300 << 96 << 18;
    QTest::newRow("600 dpi: factor 6") << 600 << 96 << 36;
    QTest::newRow("600 dpi, 120 dpi screen") << 600 << 120 << 30;
    QTest::newRow("72 dpi: blank page") << 72 << 96 << 0;
}

void PrintPageTest::printedPdf()
{
    QFETCH(int, resolution);
    QFETCH(int, screenDpi);
    QFETCH(int, block);
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm (Debian package poppler-utils) is not installed: the printed PDF cannot be turned into pixels");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setColorMode(QPrinter::Color);
    printer.setResolution(resolution);
    // A small page with half-inch margins: the printable area starts half
    // an inch in, a whole number of dots at every resolution tried.
    printer.setPageSize(QPageSize(QSizeF(2, 2), QPageSize::Inch));
    printer.setPageMargins(QMarginsF(36, 36, 36, 36), QPageLayout::Point);
    QCOMPARE(printer.logicalDpiY(), resolution);

    const PixelBuffer image = sampleImage();
    printImage(printer, image, screenDpi);

    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QString::number(resolution), QStringLiteral("-aa"), QStringLiteral("no"),
                            QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"),
                            QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page = QImage(dir.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(page.size(), QSize(2 * resolution, 2 * resolution));

    const int origin = resolution / 2;
    const QRect printed(origin, origin, image.width() * block, image.height() * block);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor expected = printed.contains(x, y)
                                        ? qColor(image.pixel((x - origin) / block, (y - origin) / block))
                                        : QColor(Qt::white);
            const QColor got = page.pixelColor(x, y);
            if (qAbs(got.red() - expected.red()) > 1 || qAbs(got.green() - expected.green()) > 1
                || qAbs(got.blue() - expected.blue()) > 1)
                QFAIL(qPrintable(QStringLiteral("dot (%1, %2) is %3, expected %4")
                                     .arg(x).arg(y).arg(got.name(), expected.name())));
        }
    }
}

QTEST_MAIN(PrintPageTest)
#include "tst_print_page.moc"
