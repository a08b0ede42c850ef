// A regular file read whole or in parts: a file of exactly the size cap is
// read, one byte more is refused before it is read, and a file that shrinks
// after it was opened is refused as changed while read, never filled out.
#include "files/codec/file_error.h"
#include "files/codec/system_reason.h"
#include "files/model/picture_reading.h"
#include "files/model/readable_file.h"
#include "support/file_bytes.h"

#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace pimoko;

class ReadableFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;

private slots:
    void initTestCase() { QVERIFY(folder_.isValid()); }

    // part: "all" reads the file whole up to cap; else "<offset>+<length>"
    // is one readAt. shrinkTo: the size the file is cut to once it is open.
    void readsWhatIsThereOrRefuses_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("shrinkTo");
        QTest::addColumn<QString>("part");
        QTest::addColumn<qulonglong>("cap");
        QTest::addColumn<QString>("reason");    // empty: read
        const QString tooLarge = QStringLiteral("ファイルが大きすぎます");
        const QString changed = QStringLiteral("読み込み中にファイルが変更されました");
        const qulonglong none = ~0ull;
        QTest::newRow("exactly the cap") << 1000ll << -1ll << "all" << 1000ull << "";
        QTest::newRow("one byte over the cap") << 1001ll << -1ll << "all" << 1000ull << tooLarge;
        QTest::newRow("empty file, cap 0") << 0ll << -1ll << "all" << 0ull << "";
        QTest::newRow("shrunk before the whole is read") << 1000ll << 600ll << "all" << none << changed;
        QTest::newRow("emptied before the whole is read") << 1000ll << 0ll << "all" << none << changed;
        QTest::newRow("shrunk below a small part") << 40000ll << 600ll << "30000+16" << none << changed;
        QTest::newRow("shrunk below a large part") << 40000ll << 100ll << "0+20000" << none << changed;
        QTest::newRow("a part of a file that did not change") << 40000ll << -1ll << "39990+10" << none << "";
    }
    void readsWhatIsThereOrRefuses()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, shrinkTo);
        QFETCH(QString, part);
        QFETCH(qulonglong, cap);
        QFETCH(QString, reason);
        const QString path = folder_.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
        QByteArray bytes(size, '\0');
        for (qint64 i = 0; i < size; ++i)
            bytes[i] = char(i * 13 + 1);
        writeAll(path, bytes);
        const std::string name = path.toStdString();

        QString outcome;
        QByteArray read;
        try {
            const ReadableFile file(name);
            QCOMPARE(file.size(), std::uint64_t(size));
            if (shrinkTo >= 0)
                QCOMPARE(::truncate(name.c_str(), shrinkTo), 0);
            if (part == u"all") {
                const std::vector<std::uint8_t> all = file.readAll(cap);
                read = QByteArray(reinterpret_cast<const char*>(all.data()), qsizetype(all.size()));
            } else {
                const qint64 offset = part.section(u'+', 0, 0).toLongLong();
                std::vector<std::uint8_t> into(part.section(u'+', 1).toULongLong());
                file.readAt(std::uint64_t(offset), into);
                read = bytes.mid(0, offset) + QByteArray(reinterpret_cast<const char*>(into.data()), qsizetype(into.size()));
            }
        } catch (const FileError& error) {
            outcome = QString::fromUtf8(error.what());
        }
        if (!reason.isEmpty()) {
            QCOMPARE(outcome, QStringLiteral("ファイル \"%1\". %2 は開けません").arg(path, reason));
            return;
        }
        QCOMPARE(outcome, QString());
        QCOMPARE(read, bytes.left(read.size()));
        QVERIFY(read.size() == size || part != u"all");
    }
};

QTEST_APPLESS_MAIN(ReadableFileTest)
#include "tst_readable_file.moc"
