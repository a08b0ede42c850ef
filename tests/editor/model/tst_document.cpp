#include "editor/model/document.h"

#include <QtTest>

#include <vector>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::Document::Change)

// The document's named changes: each keeps the picture, the modified flag,
// the file name and the rescue history right, and sends one notice.
class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    void namedChanges_data();
    void namedChanges();
};

namespace {

const PixelBuffer kRed(16, 8, 0x0000FF);

void apply(Document& document, const QString& change)
{
    if (change == u"new")
        document.startNew(PixelBuffer(32, 32, kWhite));
    else if (change == u"open")
        document.open(kRed, "b.bmp");
    else if (change == u"restore")
        document.restore(kRed, "r.bmp");
    else if (change == u"start stroke")
        document.startStroke();
    else if (change == u"finish stroke")
        document.finishStroke();
    else if (change == u"transform")
        document.transform(kRed);
    else if (change == u"stretch")
        document.stretch(kRed);
    else if (change == u"blank size")
        document.resizeBlank(kRed);
    else if (change == u"rescue")
        document.rescue();
    else if (change == u"save")
        document.markSaved("c.ico");
    else if (change == u"rename")
        document.rename("d.ico");
}

} // namespace

void DocumentTest::namedChanges_data()
{
    using Change = Document::Change;
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("startModified");
    QTest::addColumn<Change>("notice");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rescueSteps");
    QTest::addColumn<int>("width");  // of the picture afterwards
    // Each starts from "a.ico" with two rescue steps, a 32 x 32 picture.
    QTest::newRow("new") << "new" << true << Change::New << false << "" << 0 << 32;
    QTest::newRow("open") << "open" << true << Change::Opened << false << "b.bmp" << 0 << 16;
    QTest::newRow("restore, saved before") << "restore" << false << Change::Opened << true << "r.bmp" << 0 << 16;
    QTest::newRow("start stroke") << "start stroke" << false << Change::StrokeStarted << true << "a.ico" << 3 << 32;
    QTest::newRow("finish stroke") << "finish stroke" << false << Change::StrokeFinished << true << "a.ico" << 2 << 32;
    QTest::newRow("transform") << "transform" << false << Change::Transformed << true << "a.ico" << 2 << 16;
    QTest::newRow("stretch, saved before") << "stretch" << false << Change::Resized << true << "a.ico" << 2 << 16;
    QTest::newRow("blank size") << "blank size" << true << Change::Resized << false << "a.ico" << 2 << 16;
    QTest::newRow("rescue") << "rescue" << false << Change::Rescued << true << "a.ico" << 1 << 32;
    QTest::newRow("save") << "save" << true << Change::Saved << false << "c.ico" << 2 << 32;
    QTest::newRow("rename keeps the flag") << "rename" << true << Change::Renamed << true << "d.ico" << 2 << 32;
}

void DocumentTest::namedChanges()
{
    QFETCH(QString, change);
    QFETCH(bool, startModified);
    QFETCH(Document::Change, notice);
    QFETCH(bool, modified);
    QFETCH(QString, name);
    QFETCH(int, rescueSteps);
    QFETCH(int, width);
    Document document;
    document.open(PixelBuffer(32, 32, kWhite), "a.ico");
    document.startStroke();
    document.startStroke();
    if (startModified)
        document.finishStroke();
    else
        document.markSaved("a.ico");
    std::vector<Document::Change> notices;
    document.setListener([&](Document::Change c) { notices.push_back(c); });

    apply(document, change);
    QCOMPARE(notices, std::vector<Document::Change>{notice});
    QCOMPARE(bool(document.ImageModified), modified);
    QCOMPARE(QString::fromStdString(document.CurrentFileName()), name);
    QCOMPARE(document.rescueHistory().FRescueCount, rescueSteps);
    QCOMPARE(document.ImageWidth(), width);
}

QTEST_APPLESS_MAIN(DocumentTest)
#include "tst_document.moc"
