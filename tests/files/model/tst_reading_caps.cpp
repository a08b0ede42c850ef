#include "files/codec/file_error.h"
#include "files/model/readable_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>

using namespace pimoko;

Q_DECLARE_METATYPE(pimoko::WholeFile)

// The one table of reading caps: a file of each kind is read whole up to its
// cap and refused as too large one byte past it, through readWholeFile and
// ReadableFile::readAll alike.
class ReadingCapsTest : public QObject {
    Q_OBJECT
private slots:
    void capByKind_data();
    void capByKind();
};

void ReadingCapsTest::capByKind_data()
{
    QTest::addColumn<WholeFile>("kind");
    QTest::addColumn<qint64>("cap");
    QTest::newRow("bitmap: 1 MiB") << WholeFile::Bitmap << qint64(1) * 1024 * 1024;
    QTest::newRow("icon or cursor: 4 MiB") << WholeFile::IconLayout << qint64(4) * 1024 * 1024;
    QTest::newRow("PNG for --pack: 4 MiB") << WholeFile::Png << qint64(4) * 1024 * 1024;
}

void ReadingCapsTest::capByKind()
{
    QFETCH(WholeFile, kind);
    QFETCH(qint64, cap);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("file"));
    const std::string name = path.toStdString();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(cap));
    QCOMPARE(readWholeFile(name, kind).size(), std::size_t(cap));
    QCOMPARE(ReadableFile(name).readAll(kind).size(), std::size_t(cap));

    QVERIFY(file.resize(cap + 1));
    const QString tooLarge = QStringLiteral("ファイル \"%1\". ファイルが大きすぎます は開けません").arg(path);
    for (int way = 0; way < 2; ++way) {
        try {
            way == 0 ? readWholeFile(name, kind) : ReadableFile(name).readAll(kind);
            QFAIL("read past the cap");
        } catch (const FileError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), tooLarge);
        }
    }
}

QTEST_APPLESS_MAIN(ReadingCapsTest)
#include "tst_reading_caps.moc"
