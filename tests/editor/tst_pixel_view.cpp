#include "editor/pixel_view.h"

#include <QImage>
#include <QtTest>

using namespace pimoko;

// A view paints its buffer opaque whatever the target holds, so that it
// shows the same on translucent and premultiplied backing stores.
class PixelViewTest : public QObject {
    Q_OBJECT
private slots:
    void paintsOpaqueOntoEveryTarget_data()
    {
        QTest::addColumn<QImage::Format>("target");
        QTest::newRow("ARGB32 premultiplied") << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("ARGB32") << QImage::Format_ARGB32;
        QTest::newRow("RGBA8888") << QImage::Format_RGBA8888;
        QTest::newRow("RGB32") << QImage::Format_RGB32;
    }
    void paintsOpaqueOntoEveryTarget()
    {
        QFETCH(QImage::Format, target);
        PixelBuffer buffer(3, 2, kWhite);
        const Color colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000, 0x123456, 0xFFFFFF};
        for (int i = 0; i < 6; ++i)
            buffer.setPixel(i % 3, i / 3, colours[i]);
        PixelView view(&buffer);
        QImage image(3, 2, target);
        image.fill(Qt::transparent);
        view.render(&image);
        for (int i = 0; i < 6; ++i) {
            const QRgb p = image.pixel(i % 3, i / 3);
            QCOMPARE(qAlpha(p), 255);
            QCOMPARE(rgb(qRed(p), qGreen(p), qBlue(p)), colours[i]);
        }
    }
};

QTEST_MAIN(PixelViewTest)
#include "tst_pixel_view.moc"
